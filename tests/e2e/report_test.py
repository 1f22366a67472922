#!/usr/bin/env python3
"""End to end: a stream from km470sim saved as CSV, then its report page and its chart as PNG
files; a picture there, a name not .png, cut or empty files are refused (pixels: chart_tests)"""
import struct
import tempfile
import unittest
from pathlib import Path

from e2esupport import Unit, run_dynlog, winpath


class Report(unittest.TestCase):
    def test_a_streamed_csv_gives_a_page_and_a_chart_and_damage_is_refused(self):
        folder = Path(tempfile.mkdtemp(prefix="dynlog-report-"))
        unit = Unit(2, 19200, 1, folder)
        try:
            r = run_dynlog(folder, "--stream", "x.csv", "--seconds", "3", "--rate", "320")
        finally:
            unit.stop()
        self.assertEqual(r.returncode, 0, r.stderr)
        x = (folder / "x.csv").read_bytes()
        (folder / "cut.csv").write_bytes(x[:-30])
        (folder / "kopf.csv").write_bytes(x[:x.index(b"\r\n", x.index(b"Zeit in s")) + 2])
        for args, code, error, size in [
            (["--report", "x.csv", "--output", "page.png"], 0, "^$", (1240, 1754)),
            (["--picture", "x.csv", "--output", "chart.png"], 0, "^$", (1200, 675)),
            (["--report", "x.csv", "--output", "chart.png"], 2, "chart.png gibt es schon",
             (1200, 675)),
            (["--report", "x.csv", "--output", "x.bmp"], 2, "einen Dateinamen auf .png", False),
            (["--report", "cut.csv", "--output", "cut.png"], 8, r"cut.csv: Zeile \d+ nicht lesbar",
             False),
            (["--report", "kopf.csv", "--output", "k.png"], 8, "kopf.csv: keine Messwerte", False),
        ]:
            r = run_dynlog(folder, *args)
            self.assertEqual(r.returncode, code, r.stderr)
            self.assertRegex(r.stderr.decode("utf-8"), error)
            png = folder / args[3]
            # Width and height from the PNG's IHDR chunk, or no file.
            self.assertEqual(png.exists() and struct.unpack(">II", png.read_bytes()[16:24]), size)


if __name__ == "__main__":
    unittest.main(argv=[__file__], verbosity=2)
