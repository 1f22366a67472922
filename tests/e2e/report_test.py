#!/usr/bin/env python3
"""End to end: a stream from km470sim saved as CSV, then its report page and its chart as PNG
files, made without a person; a file that cannot be read and an existing picture are refused.
What the page and the chart hold is checked on their pixels in window_paint_tests."""
import struct
import tempfile
import unittest
from pathlib import Path

from e2esupport import Unit, run_dynlog, winpath


def png_size(path):
    """Width and height from the PNG's IHDR chunk."""
    data = path.read_bytes()
    assert data[:8] == b"\x89PNG\r\n\x1a\n" and data[12:16] == b"IHDR", data[:16]
    return struct.unpack(">II", data[16:24])


class Report(unittest.TestCase):
    def test_a_streamed_csv_gives_a_page_and_a_chart_and_damage_is_refused(self):
        folder = Path(tempfile.mkdtemp(prefix="dynlog-report-"))
        stream = folder / "x.csv"
        unit = Unit(2, 19200, 1, folder)
        try:
            r = run_dynlog(folder, "--stream", winpath(stream), "--seconds", "3", "--rate", "320")
        finally:
            unit.stop()
        self.assertEqual(r.returncode, 0, r.stderr)
        cut = folder / "cut.csv"
        cut.write_bytes(stream.read_bytes()[:-30])  # the last line without its end

        for option, output, size in [("--report", "page.png", (1240, 1754)),
                                     ("--picture", "chart.png", (1200, 675))]:
            r = run_dynlog(folder, option, winpath(stream), "--output", winpath(folder / output))
            self.assertEqual(r.returncode, 0, r.stderr)
            self.assertEqual(png_size(folder / output), size)

        page = (folder / "page.png").read_bytes()
        for args, code, error, written in [
            (["--report", "x.csv", "--output", "page.png"], 2, "page.png gibt es schon", True),
            (["--report", "cut.csv", "--output", "cut.png"], 8, r"cut.csv: Zeile \d+ nicht lesbar",
             False),
            (["--picture", "fehlt.csv", "--output", "f.png"], 2, "fehlt.csv gibt es nicht", False),
        ]:
            r = run_dynlog(folder, *args)
            self.assertEqual(r.returncode, code, r.stderr)
            self.assertRegex(r.stderr.decode("utf-8"), error)
            self.assertEqual((folder / args[3]).exists(), written)
        self.assertEqual((folder / "page.png").read_bytes(), page)


if __name__ == "__main__":
    unittest.main(argv=[__file__], verbosity=2)
