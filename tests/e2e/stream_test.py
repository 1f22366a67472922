#!/usr/bin/env python3
"""End to end: dynlog.exe --stream under Wine against km470sim. A stream keeps every value; a
killed program leaves whole lines; a unit that vanishes is called back; an existing file is never
replaced unasked. (Ctrl+C and a closed terminal: launcher_test.)"""
import os
import re
import resource
import signal
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

from e2esupport import (DYNLOG, WINE_RUN, Unit, file_values, german, held, main, run_dynlog,
                        start_dynlog, stream_texts, winpath)


class Streaming(unittest.TestCase):
    def setUp(self):
        self.dir = Path(tempfile.mkdtemp(prefix="dynlog-stream-"))

    def test_a_killed_program_leaves_whole_lines_of_what_it_had_flushed(self):
        unit = Unit(2, 19200, 1, self.dir)
        out = self.dir / "kill.txt"
        try:
            run = start_dynlog(self.dir, "--stream", winpath(out), "--rate", "320")
            unit.wait_for_stream()
            time.sleep(2)
            # The file is flushed twice a second while the stream runs, not only at its end: the
            # values sent by a moment reach the disk before the kill, however late the program
            # reads them (here it is held up for a second, as on a busy machine).
            command = "dynlog.exe --stream " + re.escape(winpath(out))
            with held(command):
                time.sleep(0.2)
                sent_before = stream_texts(unit.counts())
                time.sleep(1)
            end = time.monotonic() + 60  # a hang guard only
            while not (out.exists() and len(file_values(out)) > len(sent_before)) and \
                    time.monotonic() < end:
                time.sleep(0.1)
            pids = subprocess.run(["pgrep", "-f", command], capture_output=True,
                                  text=True).stdout.split()
            self.assertTrue(pids)
            for pid in pids:
                os.kill(int(pid), signal.SIGKILL)
            run.communicate(timeout=60)  # a hang guard only
        finally:
            unit.stop()
        data = out.read_bytes()
        self.assertTrue(data.endswith(b"\r\n"), data[-40:])
        values = file_values(out)[:-1]
        self.assertEqual(values, stream_texts(unit.counts())[:len(values)])
        self.assertGreaterEqual(len(values), len(sent_before))

    def test_a_unit_that_vanishes_and_returns_is_picked_up_again(self):
        first = Unit(2, 19200, 1, self.dir, name="first")
        out = self.dir / "luecke.txt"
        run = start_dynlog(self.dir, "--stream", winpath(out), "--seconds", "16", "--rate", "320")
        second = None
        try:
            first.wait_for_stream()
            time.sleep(3)
            with held("dynlog.exe --stream " + re.escape(winpath(out))):  # a busy machine
                time.sleep(0.3)
                sent, unread = len(first.counts()), first.unread()
                first.stop()  # unplugged: the port's device is gone, and what was not read on it
            time.sleep(4)
            second = Unit(2, 19200, 1, self.dir, name="second")  # plugged in again
            _, err = run.communicate(timeout=120)  # a hang guard only
        finally:
            if second:
                second.stop()
        err = err.decode("utf-8", errors="replace")
        self.assertEqual(run.returncode, 5, err)
        self.assertRegex(err, r"das Gerät hat ab \d\d:\d\d:\d\d \(Sekunde \d+,\d der Aufnahme\) "
                              r"\d+,\d s lang keine Messwerte gesendet")
        values = file_values(out)[:-1]
        before = stream_texts(first.counts())
        after = [german(c / 10, 1) for c in second.counts()]
        self.assertGreater(len(after), 20, "frames flow again after the gap")
        # The frames not read when the unit vanished, however many a late program left, may be
        # lost; nothing else is.
        lost = unread // 3 + len(first.counts()) - sent + 1
        self.assertEqual(len(values), 16 * 320)  # as asked for: the gap made the stream longer
        self.assertEqual(values[:len(before) - lost], before[:-lost])
        end = next(k for k in range(20, len(after) + 1) if after[k - 20:k] == values[-20:])
        self.assertEqual(values[-end + 20:], after[20:end])

    def test_a_full_disk_leaves_whole_lines_and_their_results_and_no_empty_file(self):
        # A file-size limit fails a write part-way, as a full disk does. The wineserver, started
        # here first and kept for a minute past its last program (a busy machine may take its 3 s
        # between two cases), must not inherit it. 16 bytes do not hold the head: no value at all.
        subprocess.run(["bash", "-c", 'source "$0" && { wineserver -k; wineserver -w; '
                        'wineserver -p60; } </dev/null >/dev/null 2>&1',
                        str(Path(WINE_RUN).with_name("wine-env.sh"))])
        for limit, args in ((8192, ["--record", "3", "--output", "voll.csv"]),
                            (8192, ["--stream", "voll8192.txt"]), (16, ["--stream", "voll16.txt"])):
            unit = Unit(2, 19200, 1, self.dir)
            out = self.dir / args[-1]
            try:
                r = subprocess.run([WINE_RUN, DYNLOG, *args, "--rate", "320"],
                                   cwd=self.dir, capture_output=True, timeout=120,  # a hang guard
                                   preexec_fn=lambda: (
                                       signal.signal(signal.SIGXFSZ, signal.SIG_IGN),
                                       resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))))
            finally:
                unit.stop()
            self.assertEqual(r.returncode, 4, r.stderr)
            if args[0] == "--record":  # no results of a file that is not there
                self.assertEqual((b"keine Datei geschrieben" in r.stderr, r.stdout), (True, b""))
                continue
            if limit == 16:  # (wine-run.sh's own files of the output are held to 16 bytes too)
                self.assertFalse(out.exists(), "an empty file would block the next run")
                continue
            self.assertIn("Zu wenig Speicherplatz", r.stderr.decode("utf-8", errors="replace"))
            values = file_values(out)
            self.assertEqual(values[-1], "")  # every line ended
            self.assertEqual(values[:-1], stream_texts(unit.counts())[:len(values) - 1])
            report = dict(line.split(": ", 1) for line in r.stdout.decode().splitlines())
            self.assertEqual(report.get("Werte"), str(len(values) - 1), r.stdout)

    def test_a_series_that_cannot_keep_the_test_is_refused_before_the_unit_is_asked(self):
        # Exit 2 and nothing written, the unit never told to send. (The rules: files_tests.)
        foreign, series = self.dir / "Fremd", self.dir / "Reihe"
        foreign.mkdir()
        (foreign / "reihe.csv").write_bytes(b"Nr;Name\r\n1;x\r\n")
        series.mkdir()
        listing = ("\ufeff# Prüfreihe;2026-12-08T09:00:00+01:00\r\nNr;Start;Prüfling;Maximum;"
                   "Minimum;Mittelwert;Einheit;Dauer in s;Urteil;Grund;Datei\r\n"
                   "1;2026-12-08T09:00:00+01:00;P;1,0;0,0;0,5;N;1,000;;;P_0001.csv\r\n").encode()
        (series / "reihe.csv").write_bytes(listing)
        unit = Unit(2, 19200, 1, self.dir)
        try:
            for args, reason in (
                    (["--stream", "s.csv", "--seconds", "2", "--series", winpath(foreign)],
                     winpath(foreign / "reihe.csv") + " ist keine Prüfreihe von dynlog.exe"),
                    (["--stream", winpath(series / "reihe.csv"), "--seconds", "2", "--series",
                      winpath(series), "--overwrite"], "ist die Liste einer Prüfreihe"),
                    (["--stream", winpath(series / "P_0001.csv"), "--seconds", "2", "--series",
                      winpath(series), "--overwrite"], "ist Test 1 der Prüfreihe")):
                r = run_dynlog(self.dir, *args)
                self.assertEqual(r.returncode, 2, r.stderr)
                self.assertIn(reason.encode(), r.stderr)
        finally:
            unit.stop()
        self.assertNotIn("start", unit.events(), "the unit was never told to send")
        self.assertEqual((series / "reihe.csv").read_bytes(), listing)

    def test_a_file_is_replaced_only_with_overwrite_by_every_value_in_whole_lines(self):
        out = self.dir / "alt.txt"
        out.write_bytes(b"alte Messung\r\n")
        r = run_dynlog(self.dir, "--stream", winpath(out), "--seconds", "2")
        self.assertEqual(r.returncode, 2)
        self.assertIn("gibt es schon; --overwrite", r.stderr.decode("utf-8", errors="replace"))
        self.assertEqual(out.read_bytes(), b"alte Messung\r\n")
        # What lies past the window's 10000 values is fed in memory (tests/window); here a short
        # stream at 320 values a second goes through the whole way once.
        Path(self.dir, "km470.ini").write_text("[Einstellung]\r\nCOM-Kanal=1\r\nBaudrate=19200\r\n")
        unit = Unit(1, 19200, 1, self.dir)
        try:
            r = run_dynlog(self.dir, "--stream", winpath(out), "--seconds", "3", "--rate", "320",
                           "--overwrite")
        finally:
            unit.stop()
        self.assertEqual(r.returncode, 0, r.stderr)
        lines = out.read_bytes().decode("cp1252").split("\r\n")
        self.assertTrue(lines[0].startswith("Datei erzeugt von Programm dynlog.exe am "))
        self.assertEqual(lines[1], "Einstellung: 320 Messwerte pro Sekunde")
        self.assertEqual(lines[-1], "")  # every line ended
        self.assertEqual(lines[3:-1], stream_texts(unit.counts())[:960])
        self.assertEqual(len(lines[3:-1]), 960)  # 3 s at 320 a second, from the first value


if __name__ == "__main__":
    main()
