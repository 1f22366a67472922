#!/usr/bin/env python3
"""End to end: km470sim as a COM port, dynlog.exe --record under Wine, and the measurement file
compared with what the unit logged, decimated and averaged as the program does it, scaled by the
unit's decimal places and written with German separators.

Usage: record_test.py DYNLOG_EXE KM470SIM WINE_RUN"""
import csv
import io
import os
import re
import signal
import sys
import subprocess
import tempfile
import time
import unittest
from fractions import Fraction
from pathlib import Path

from e2esupport import DYNLOG, WINE_RUN, Unit, expected_values, german, run_dynlog, winpath

class Recording(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="dynlog-e2e-")

    def record_and_compare(self, port, baud, decimals, rate, average):
        if port != 2 or baud != 19200:
            Path(self.dir, "km470.ini").write_text(
                f"[Einstellung]\r\nCOM-Kanal={port}\r\nBaudrate={baud}\r\n")
        unit = Unit(port, baud, decimals, self.dir)
        try:
            out = Path(self.dir) / "messung.txt"
            args = ["--record", "3", "--output", winpath(out), "--rate", rate]
            if average:
                args.append("--average")
            r = run_dynlog(self.dir, *args)
            self.assertEqual(r.returncode, 0, r.stderr.decode(errors="replace"))
        finally:
            unit.stop()
        data = out.read_bytes()
        self.assertFalse(data.startswith(b"\xef\xbb\xbf"))
        self.assertTrue(data.endswith(b"\r\n"))
        lines = data.decode("cp1252").split("\r\n")[:-1]
        self.assertRegex(lines[0], r"^Datei erzeugt von Programm dynlog\.exe am "
                                   r"\d\d\.\d\d\.\d{4}( \d\d:\d\d:\d\d)?$")
        note = "" if len(rate) >= 3 else (" mit Mittelung" if average else " ohne Mittelung")
        self.assertEqual(lines[1], f"Einstellung: {rate} Messwerte pro Sekunde{note}")
        self.assertEqual(lines[2], "")
        want = [german(v, decimals) for v in
                expected_values(unit.counts(), decimals, rate, baud == 9600, average)]
        self.assertGreater(len(want), 5)
        self.assertEqual(lines[3:], want)
        return lines

    def test_ten_per_second_at_19200_baud(self):
        self.record_and_compare(2, 19200, 1, "10", False)

    def test_averaged_forty_per_second_at_9600_baud(self):
        self.record_and_compare(3, 9600, 2, "40", True)

    def test_averaged_twenty_per_second_at_three_decimals(self):
        self.record_and_compare(4, 19200, 3, "20", True)

    def test_every_frame_at_320_with_whole_counts(self):
        lines = self.record_and_compare(1, 19200, 0, "320", True)
        self.assertGreater(len(lines), 500)

    def test_csv_file_and_the_results_on_standard_output(self):
        unit = Unit(2, 19200, 0, self.dir)
        try:
            out = Path(self.dir) / "messung.csv"
            r = run_dynlog(self.dir, "--record", "3", "--output", winpath(out), "--rate", "320")
            self.assertEqual(r.returncode, 0, r.stderr.decode(errors="replace"))
        finally:
            unit.stop()
        want = expected_values(unit.counts(), 0, "320", False, False)
        text = out.read_bytes().decode("cp1252")
        head = [line for line in text.split("\r\n") if line.startswith("#")]
        self.assertRegex(head[0], r"^# Start;\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d$")
        self.assertEqual(head[1:4], ["# Werte pro Sekunde;320", "# Mittelung;nein",
                                     "# Dezimalstellen;0"])
        self.assertIn("KM470", head[4])
        self.assertEqual(head[5], "# Schnittstelle;COM2")
        rows = list(csv.reader(io.StringIO(text), delimiter=";"))[len(head) + 1:]
        # Whole counts carry no thousands separator: 1202 must not read as 1.202.
        self.assertEqual([v for _, v in rows], [str(int(w)) for w in want])
        self.assertEqual([t for t, _ in rows], [f"{i / 320:.6f}".replace(".", ",")
                                                for i in range(len(want))])
        try:
            import pandas
            frame = pandas.read_csv(out, sep=";", decimal=",", comment="#", encoding="cp1252")
            self.assertEqual(list(frame["Wert"]), [int(w) for w in want])
        except ImportError:
            pass
        # The results a script reads: the figures of the file.
        report = dict(line.split(": ", 1) for line in r.stdout.decode().splitlines())
        values = [int(v) for _, v in rows]
        top = values.index(max(values))
        self.assertEqual(report["Werte"], str(len(values)))
        self.assertEqual(report["Maximum"], f"{max(values)} bei {rows[top][0]} s")
        self.assertEqual(report["Minimum"].split(" bei ")[0], str(min(values)))
        self.assertAlmostEqual(int(report["Mittelwert"]), sum(values) / len(values), delta=0.5)

    def test_bad_arguments_are_refused_in_german(self):
        out = winpath(Path(self.dir) / "m.txt")
        # The argument table itself is tested natively (app_core_tests); here one mistake goes the
        # whole way to exit code 2 and a German line, beside what only Windows can tell.
        cases = [
            (["--record", "drei", "--output", "x.txt"], "ungültige Dauer: drei"),
            # The picture would overwrite the measurement file: the same file as Windows sees it.
            (["--record", "1", "--output", out, "--screenshot", out.upper()], "dieselbe Datei"),
            (["--record", "1", "--output", out, "--screenshot",
              winpath(Path(self.dir) / "sub" / ".." / "M.TXT")], "dieselbe Datei"),
        ]
        for args, message in cases:
            r = run_dynlog(self.dir, *args)
            self.assertEqual(r.returncode, 2, args)
            self.assertIn(message, r.stderr.decode("utf-8", errors="replace"))
        self.assertFalse((Path(self.dir) / "m.txt").exists())

    def test_no_unit_ends_after_the_search_gives_up(self):
        # Nothing on COM1 to COM4: the search dialog is shown, closed after its time (20 s, a
        # few seconds as the tests set it), and the run fails.
        r = run_dynlog(self.dir, "--record", "1", "--output",
                       winpath(Path(self.dir) / "messung.txt"))
        self.assertEqual(r.returncode, 3)
        self.assertIn("KM470 nicht gefunden", r.stderr.decode("utf-8", errors="replace"))
        self.assertFalse((Path(self.dir) / "messung.txt").exists())
        self.assertFalse((Path(self.dir) / "km470.ini").exists())

    def test_unwritable_output_fails_with_the_file_error(self):
        unit = Unit(2, 19200, 1, self.dir)
        try:
            r = run_dynlog(self.dir, "--record", "1", "--output",
                           winpath(Path(self.dir) / "fehlt" / "messung.txt"))
        finally:
            unit.stop()
        self.assertEqual(r.returncode, 4)
        self.assertIn("Ungültiger Dateiname", r.stderr.decode("utf-8", errors="replace"))


class SilentUnit(unittest.TestCase):
    """A unit that stops sending in the middle of a recording: the file is still written, the
    gap is named on standard error, and the exit code is 5."""

    def record_with_gap(self, interrupt):
        workdir = tempfile.mkdtemp(prefix="dynlog-e2e-")
        unit = Unit(2, 19200, 1, workdir)
        out = Path(workdir) / "messung.txt"
        run = subprocess.Popen([WINE_RUN, DYNLOG, "--record", "8", "--output", winpath(out)],
                               cwd=workdir, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        try:
            deadline = time.monotonic() + 60
            while "start" not in unit.log.read_text().split("\n"):
                self.assertLess(time.monotonic(), deadline, "the stream never started")
                time.sleep(0.1)
            time.sleep(1.5)
            interrupt(unit)
            _, err = run.communicate(timeout=120)
        finally:
            if unit.proc.poll() is None:
                os.kill(unit.proc.pid, signal.SIGCONT)
                unit.stop()
        err = err.decode("utf-8", errors="replace")
        self.assertEqual(run.returncode, 5, err)
        self.assertIn("Datei geschrieben, aber das Gerät hat während der Aufnahme geschwiegen", err)
        gap = re.search(r"ab \d\d:\d\d:\d\d \(Sekunde (\d+),\d der Aufnahme\) (\d+),(\d) s lang", err)
        self.assertIsNotNone(gap, err)
        lines = out.read_bytes().decode("cp1252").split("\r\n")
        self.assertGreater(len(lines), 10)
        return int(gap.group(1)), int(gap.group(2)) + int(gap.group(3)) / 10

    def test_a_unit_switched_off_and_on(self):
        def pause(unit):
            os.kill(unit.proc.pid, signal.SIGSTOP)
            time.sleep(3.5)
            os.kill(unit.proc.pid, signal.SIGCONT)
        began, length = self.record_with_gap(pause)
        self.assertGreaterEqual(began, 1)
        self.assertTrue(3 <= length <= 5, length)

    def test_a_unit_unplugged(self):
        began, length = self.record_with_gap(lambda unit: unit.stop())
        self.assertGreaterEqual(began, 1)
        self.assertTrue(4 <= length <= 7.5, length)


class Numbers(unittest.TestCase):
    """The reference formatter above must itself be right."""

    def test_reference_formatting(self):
        cases = [(1234, 0, "1.234"), (Fraction(25, 2), 2, "12,50"), (-1000, 0, "-1.000"),
                 (Fraction(-4, 100), 1, "0,0"), (Fraction(-5, 100), 1, "-0,1"),
                 (Fraction(123446875, 100000), 0, "1.234"), (Fraction(1234466, 10000), 1, "123,4"),
                 (Fraction(999946875, 100000), 0, "9.999"), (Fraction(7, 3), 3, "2,333")]
        for value, decimals, text in cases:
            self.assertEqual(german(value, decimals), text)


if __name__ == "__main__":
    unittest.main(argv=[__file__, *sys.argv[4:]], verbosity=2)
