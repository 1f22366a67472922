#!/usr/bin/env python3
"""End to end: km470sim as a COM port, dynlog.exe --record under Wine, and the measurement file
compared with what the unit logged, decimated and averaged as the program does it, scaled by the
unit's decimal places and written with German separators.

Usage: record_test.py DYNLOG_EXE KM470SIM WINE_RUN"""
import os
import re
import struct
import subprocess
import sys
import tempfile
import time
import unittest
from decimal import ROUND_HALF_UP, Decimal
from pathlib import Path

DYNLOG, SIM, WINE_RUN = sys.argv[1:4]
# The prefix wine-run.sh uses, from the same place it takes it.
PREFIX = subprocess.run(
    ["bash", "-c", 'source "$(dirname "$0")/wine-env.sh" && printf %s "$WINEPREFIX"', WINE_RUN],
    capture_output=True, text=True, check=True).stdout

RATES = {"320": 320, "160": 160, "80": 80, "40": 40, "20": 20, "10": 10, "5": 5, "2,5": 2.5}


def reload_value(rate_text, baud9600):
    n = int(320 / RATES[rate_text]) - 1
    return int((n + 1) / 2) - 1 if baud9600 else n


def as_float32(v):
    return struct.unpack("<f", struct.pack("<f", v))[0]


def german(value, decimals, significant=5):
    """The file's number text: at most 5 significant digits, then exactly `decimals` decimals,
    each rounding half away from zero on the exact binary value; point groups thousands."""
    d = Decimal(value)
    if d != 0:
        exp = d.adjusted() - significant + 1
        d = d.quantize(Decimal(1).scaleb(exp), rounding=ROUND_HALF_UP)
    d = d.quantize(Decimal(1).scaleb(-decimals), rounding=ROUND_HALF_UP)
    if d == 0:
        d = abs(d)
    sign = "-" if d < 0 else ""
    digits = f"{abs(d):f}"
    whole, _, frac = digits.partition(".")
    groups = []
    while len(whole) > 3:
        groups.insert(0, whole[-3:])
        whole = whole[:-3]
    groups.insert(0, whole)
    return sign + ".".join(groups) + ("," + frac if frac else "")


def expected_values(counts, decimals, rate_text, baud9600, average):
    """What the acquisition cycle records from the unit's frames."""
    skip, buffered, out = 32, [], []
    reload = reload_value(rate_text, baud9600)
    for count in counts:
        value = count / [1, 10, 100, 1000][decimals]
        if skip >= 1:
            skip -= 1
            if average:
                buffered.append(value)
            continue
        skip = reload
        if average:
            deviation = 0.0
            for b in buffered:
                deviation += b - value
            value += deviation / (len(buffered) + 1)
            buffered = []
        out.append(as_float32(value))
    return out[:10000]


class Unit:
    def __init__(self, port, baud, decimals, workdir):
        self.log = Path(workdir) / "unit.log"
        self.link = Path(PREFIX) / "ports" / f"com{port}"
        self.proc = subprocess.Popen(
            [SIM, "--link", str(self.link), "--baud", str(baud), "--decimals", str(decimals),
             "--log", str(self.log)], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.proc.stdout.readline()  # the pty's path, once the link is in place

    def counts(self):
        out = []
        for line in self.log.read_text().splitlines():
            m = re.match(r"frame \d+ (-?\d+) ", line + " ")
            if m:
                out.append(int(m.group(1)))
        return out

    def stop(self):
        self.proc.terminate()
        self.proc.wait(10)


def winpath(p):
    return "Z:" + str(p).replace("/", "\\")


def run_dynlog(workdir, *args, timeout=120):
    return subprocess.run([WINE_RUN, DYNLOG, *args], cwd=workdir, capture_output=True,
                          timeout=timeout)


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

    def test_every_frame_at_320_with_whole_counts(self):
        lines = self.record_and_compare(1, 19200, 0, "320", True)
        self.assertGreater(len(lines), 500)

    def test_bad_arguments_are_refused_in_german(self):
        r = run_dynlog(self.dir, "--record", "drei", "--output", "x.txt")
        self.assertEqual(r.returncode, 2)
        self.assertIn("ungültige Dauer", r.stderr.decode("utf-8", errors="replace"))

    def test_no_unit_ends_after_the_search_gives_up(self):
        # Nothing on COM1 to COM4: the search dialog is shown, closed after 20 s, and the run fails.
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


class Numbers(unittest.TestCase):
    """The reference formatter above must itself be right."""

    def test_reference_formatting(self):
        self.assertEqual(german(1234, 0), "1.234")
        self.assertEqual(german(12.5, 2), "12,50")
        self.assertEqual(german(-1000, 0), "-1.000")
        self.assertEqual(german(as_float32(-0.04), 1), "0,0")
        self.assertEqual(german(as_float32(99999.5), 0), "100.000")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
