#!/usr/bin/env python3
"""End to end: km470sim as a COM port, dynlog.exe --record under Wine, and the measurement file
compared with what the unit logged. Thinning, averaging and number text are tested natively; here
only what needs Windows, the port and the unit."""
import csv
import io
import os
import re
import signal
import tempfile
import time
import unittest
from pathlib import Path

from e2esupport import (DYNLOG, Unit, expected_values, german, held, main, run_dynlog,
                        start_dynlog, winpath)


class Recording(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="dynlog-e2e-")

    def test_averaged_forty_per_second_at_9600_baud_on_the_port_of_km470_ini(self):
        Path(self.dir, "km470.ini").write_text("[Einstellung]\r\nCOM-Kanal=3\r\nBaudrate=9600\r\n")
        unit = Unit(3, 9600, 2, self.dir)
        out = Path(self.dir) / "messung.txt"
        try:
            r = run_dynlog(self.dir, "--record", "3", "--output", winpath(out), "--rate", "40",
                           "--average")
            self.assertEqual(r.returncode, 0, r.stderr.decode(errors="replace"))
        finally:
            unit.stop()
        lines = out.read_bytes().decode("cp1252").split("\r\n")[:-1]
        self.assertRegex(lines[0], r"^Datei erzeugt von Programm dynlog\.exe am "
                                   r"\d\d\.\d\d\.\d{4}( \d\d:\d\d:\d\d)?$")
        self.assertEqual(lines[1:3], ["Einstellung: 40 Messwerte pro Sekunde mit Mittelung", ""])
        want = [german(v, 2) for v in expected_values(unit.counts(), 2, "40", True, True)]
        # 3 s at 40 a second, counted from the first value kept; the rest were on their way.
        self.assertEqual(lines[3:], want[:120])

    def test_csv_file_and_the_results_on_standard_output(self):
        # Every frame at 320 values a second, whole counts, on the port and rate of no km470.ini.
        unit = Unit(2, 19200, 0, self.dir)
        try:
            out = Path(self.dir) / "messung.csv"
            # Windows drops the trailing point and blank: the file is messung.csv, so CSV.
            r = run_dynlog(self.dir, "--record", "3", "--output", winpath(out) + ". ", "--rate",
                           "320")
            self.assertEqual(r.returncode, 0, r.stderr.decode(errors="replace"))
        finally:
            unit.stop()
        want = expected_values(unit.counts(), 0, "320", False, False)[:960]
        # UTF-8 with its byte order mark, which Python's readers and Excel know it by.
        self.assertTrue(out.read_bytes().startswith(b"\xef\xbb\xbf# Start;"))
        text = out.read_bytes().decode("utf-8-sig")
        head = [line for line in text.split("\r\n") if line.startswith("#")]
        self.assertRegex(head[0], r"^# Start;\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d$")
        self.assertRegex(head[1], r"^# Programm;dynlog\.exe \d+\.\d+\.\d+\.\d+$")
        self.assertEqual(head[2:5], ["# Werte pro Sekunde;320", "# Mittelung;nein",
                                     "# Dezimalstellen;0"])
        self.assertIn("KM470", head[5])
        self.assertEqual(head[6], "# Schnittstelle;COM2")
        rows = list(csv.reader(io.StringIO(text), delimiter=";"))[len(head) + 1:]
        # Whole counts carry no thousands separator: 1202 must not read as 1.202.
        self.assertEqual([v for _, v, *_ in rows], [str(int(w)) for w in want])
        self.assertEqual(len(rows), 960)
        self.assertEqual([t for t, *_ in rows], [f"{i / 320:.6f}".replace(".", ",")
                                                for i in range(len(want))])
        # The results a script reads are the file's (their arithmetic: test_tests).
        report = dict(line.split(": ", 1) for line in r.stdout.decode().splitlines())
        values = [int(v) for _, v, *_ in rows]
        self.assertEqual(report["Werte"], str(len(values)))
        self.assertEqual(report["Maximum"],
                         f"{max(values)} bei {rows[values.index(max(values))][0]} s")

    def test_a_pull_test_from_half_a_second_before_the_crossing_to_its_break(self):
        # The rules on value sequences are test_tests'; here the unit's own stream, and
        # the README's example as it is: 10 values a second, the peak and the break of every frame.
        unit = Unit(2, 19200, 0, self.dir, extra=["--pull"])
        out = Path(self.dir) / "zug.csv"
        try:
            r = run_dynlog(self.dir, "--record", "10", "--output", winpath(out), "--start-above",
                           "50", "--pre", "0.5", "--stop-below", "40", "--stop-min", "200")
            self.assertEqual(r.returncode, 0, r.stderr.decode(errors="replace"))
        finally:
            unit.stop()
        counts, at = unit.counts(), []
        kept = [int(v) for v in expected_values(counts, 0, "10", False, False, at)]
        crossing = next(i for i, v in enumerate(kept) if v > 50)
        # The break is the first frame after the crossing below 40 % of the peak of the frames.
        peak, broke = 0, at[crossing]
        while not (peak >= 200 and counts[broke] * 100 < peak * 40):
            peak = max(peak, counts[broke])
            broke += 1
        last = max(i for i in range(len(kept)) if at[i] <= broke)
        text = out.read_bytes().decode("utf-8-sig")
        self.assertIn("# Startbedingung;Kraft über 50\r\n# Vorlauf in s;0,5\r\n", text)
        self.assertIn("# Ende durch;Bruch bei 40 % des Maximums\r\n", text)
        self.assertIn(f"# Maximum;{peak};", text)
        self.assertIn("# Spitzenwerte;aus allen 320 Werten/s des Geräts\r\n", text)
        rows = [line.split(";") for line in text.split("\r\n") if line[:1].isdigit() or
                line.startswith("-")]
        self.assertEqual([int(v) for _, v, *_ in rows], kept[crossing - 5:last + 1])
        self.assertEqual([t for t, *_ in rows],
                         [f"{(i - 5) / 10:.1f}".replace(".", ",") for i in range(len(rows))])
        stdout = r.stdout.decode()
        self.assertIn(f"Maximum: {peak} bei ", stdout)
        self.assertIn("Spitzenwerte: aus allen 320 Werten/s des Geräts\r\n", stdout)
        self.assertIn("Ende: Bruch bei 40 % des Maximums", stdout)

    def test_a_picture_onto_the_measurement_file_is_refused(self):
        # The argument table is tested natively (app_core_tests); here only what Windows can tell:
        # the picture would overwrite the measurement file, the same file as Windows sees it.
        out = winpath(Path(self.dir) / "m.txt")
        for picture in (out.upper(), winpath(Path(self.dir) / "sub" / ".." / "M.TXT")):
            r = run_dynlog(self.dir, "--record", "1", "--output", out, "--screenshot", picture)
            self.assertEqual(r.returncode, 2, picture)
            self.assertIn("dieselbe Datei", r.stderr.decode("utf-8", errors="replace"))
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

    def test_files_there_and_the_programs_own_are_refused_each_with_its_reason(self):
        # Refused before the unit is looked for: no unit is needed.
        d, program = Path(self.dir), Path(DYNLOG)
        for name in ("m.txt", "bild.bmp", "km470.ini"):
            (d / name).write_text("alt")
        beside = winpath(program.parent) + "\\"
        for args, reason in (
                (["--record", "1", "--output", "m.txt"], "m.txt gibt es schon; --overwrite"),
                (["--record", "1", "--output", "n.txt", "--screenshot", "bild.bmp"],
                 "bild.bmp gibt es schon; --overwrite"),
                (["--record", "1", "--output", "km470.ini", "--overwrite"], "des Programms selbst"),
                (["--stream", winpath(program), "--overwrite"], "des Programms selbst"),
                (["--stream", beside + "update.exe", "--overwrite"], "des Programms selbst"),
                (["--record", "1", "--output", "n.txt", "--screenshot", beside + "dynlog.ex_",
                  "--overwrite"], "des Programms selbst"),
                (["--stream", winpath(d), "--overwrite"], "ist ein Ordner"),
                (["--record", "1", "--output", winpath(d / "fehlt" / "m.txt")],
                 "den Ordner " + winpath(d / "fehlt") + " gibt es nicht")):
            r = run_dynlog(self.dir, *args)
            err = r.stderr.decode("utf-8", errors="replace")
            self.assertEqual(r.returncode, 2, err)
            self.assertIn(reason, err)

    def test_unwritable_output_fails_with_the_file_error(self):
        out = Path(self.dir) / "messung.txt"
        out.write_text("schreibgeschützt")
        out.chmod(0o444)
        unit = Unit(2, 19200, 1, self.dir)
        try:
            r = run_dynlog(self.dir, "--record", "1", "--output", winpath(out), "--overwrite")
        finally:
            unit.stop()
        self.assertEqual(r.returncode, 4, r.stderr)
        self.assertIn(winpath(out) + ": ", r.stderr.decode("utf-8", errors="replace"))
        self.assertEqual(out.read_text(), "schreibgeschützt")

    def test_a_unit_switched_off_and_on_leaves_a_named_gap_and_true_times(self):
        # The file is still written, the gap is named on standard error, and the exit code is 5.
        # The time column jumps by the gap. (A unit unplugged until the end: stream_test; the
        # gaps' arithmetic: app_core_tests; the times' rule: test_tests.)
        unit = Unit(2, 19200, 1, self.dir)
        out = Path(self.dir) / "messung.csv"
        run = start_dynlog(self.dir, "--record", "9", "--output", winpath(out), "--rate", "320")
        try:
            unit.wait_for_stream()
            time.sleep(1.5)
            stopped = time.monotonic()
            os.kill(unit.proc.pid, signal.SIGSTOP)
            # Once the program has taken every frame, its last look that found one is over.
            unit.wait_until_read()
            silent_from, sent = time.monotonic(), len(unit.counts())
            time.sleep(4)
            self.assertEqual(len(unit.counts()), sent, "a stopped unit sends nothing")
            # The program held up as the unit comes back, as on a busy machine: its first look at
            # the line comes late, and its gap is longer than the silence.
            with held("dynlog.exe --record 9"):
                silent_until = time.monotonic()
                os.kill(unit.proc.pid, signal.SIGCONT)
                time.sleep(0.5)
            # Its first look that finds a frame again is over once it has taken one.
            unit.wait_until_read(frames_since=sent)
            seen = time.monotonic()
            out_text, err = run.communicate(timeout=120)  # a hang guard only
        finally:
            os.kill(unit.proc.pid, signal.SIGCONT)
            unit.stop()
        err = err.decode("utf-8", errors="replace")
        self.assertEqual(run.returncode, 5, err)
        self.assertIn("Datei geschrieben, aber das Gerät hat während der Aufnahme geschwiegen", err)
        gap = re.search(r"ab \d\d:\d\d:\d\d \(Sekunde \d+,\d der Aufnahme\) (\d+),(\d) s lang", err)
        self.assertIsNotNone(gap, err)
        self.assertGreater(len(unit.counts()), sent, "the unit sent again after its silence")
        # The gap runs from the program's last look that found frames to its first that found
        # them again: at least the silence between those two moments of ours, however late the
        # looks (less the rounding to tenths and a step of the system clock); at most the time
        # from the stop to the frame seen, the unit's own lateness before its stop aside.
        length = int(gap.group(1)) + int(gap.group(2)) / 10
        self.assertGreaterEqual(length, silent_until - silent_from - 0.1)
        self.assertLess(length, seen - stopped + 1)  # a hang guard only
        # Every value at 320 a second: the stamps step by 1/320 s but once, where they jump by
        # the silence, so every later stamp is its true time since Start.
        rows = list(csv.reader(io.StringIO(out.read_bytes().decode("utf-8-sig")), delimiter=";"))
        times = [float(t.replace(",", ".")) for t, *_ in rows if not t.startswith(("#", "Z"))]
        steps = [b - a for a, b in zip(times, times[1:])]
        jumps = [s for s in steps if abs(s - 1 / 320) > 1e-6]
        self.assertEqual(len(jumps), 1, jumps[:5])
        self.assertGreaterEqual(jumps[0], silent_until - silent_from - 0.1)
        self.assertLess(jumps[0], seen - stopped + 1)  # a hang guard only
        self.assertRegex(out_text.decode(), r"Lücken: 1, zusammen \d,\d{3} s")

    def test_a_series_of_three_judged_and_kept_in_its_folder(self):
        # Three parts through --record --series, the second with limits its maximum breaks (no
        # value at one decimal is under -100,0). The verdict's arithmetic: test_tests.
        unit = Unit(2, 19200, 1, self.dir)
        series = Path(self.dir) / "Reihe"
        runs = []
        try:
            for part, limits in (("Feder-0012", "-100:1000"), ("Charge #12", ":-100,1"),
                                 ("Feder-0014", "-100:")):
                runs.append(run_dynlog(self.dir, "--record", "1", "--rate", "320", "--series",
                                       winpath(series), "--unit", "N", "--part", part,
                                       "--operator", "Ute", "--max-limits", limits,
                                       "--comment", '"Riss am Rand'))
        finally:
            unit.stop()
        self.assertEqual([r.returncode for r in runs], [0, 6, 0],
                         [r.stderr.decode(errors="replace") for r in runs])
        self.assertIn("Urteil: i.O.\r\n", runs[0].stdout.decode())
        self.assertRegex(runs[1].stdout.decode(),
                         r"Urteil: n\.i\.O\. \(Maximum -?\d+,\d N über -100,1 N\)")

        text = (series / "reihe.csv").read_bytes().decode("utf-8-sig")
        table = list(csv.DictReader((line for line in io.StringIO(text, newline="")
                                     if not line.startswith("#")), delimiter=";"))
        self.assertEqual([(t["Nr"], t["Prüfling"], t["Urteil"]) for t in table],
                         [("1", "Feder-0012", "i.O."), ("2", "Charge #12", "n.i.O."),
                          ("3", "Feder-0014", "i.O.")])
        # Each test's file holds the unit's values of its run, with the lamps of its frames.
        starts = [i for i, e in enumerate(unit.events()) if e == "start"] + [None]
        for row, begin, end in zip(table, starts, starts[1:]):
            frames = [e.split() for e in unit.events()[begin:end] if e.startswith("frame ")]
            want = expected_values([int(f[2]) for f in frames], 1, "320", False, False)[:320]
            body = (series / row["Datei"]).read_bytes().decode("utf-8-sig")
            lines = list(csv.reader(io.StringIO(body, newline=""), delimiter=";"))
            head = {line[0]: line[1:] for line in lines if line[0].startswith("#")}
            self.assertEqual([head["# Prüfling"], head["# Bemerkung"], head["# Urteil"]],
                             [[row["Prüfling"]], ['"Riss am Rand'], [row["Urteil"]]])
            values = [v for v in lines if not v[0].startswith(("#", "Zeit"))]
            self.assertEqual([v[1] for v in values], [german(w, 1) for w in want])
            self.assertEqual(row["Maximum"], german(max(want), 1))
            self.assertEqual([v[2:] for v in values],
                             lamps_after([int(f[3], 16) for f in frames])[32:32 + len(want)])
        try:
            import pandas
        except ImportError:
            return
        frame = pandas.read_csv(series / "reihe.csv", sep=";", decimal=",", comment="#")
        self.assertEqual(list(frame["Urteil"]), ["i.O.", "n.i.O.", "i.O."])
        self.assertEqual(list(frame["Prüfling"]), [t["Prüfling"] for t in table])


def lamps_after(statuses):
    """The six lamps as the window shows them after each frame, as "0"/"1": the trigger from every
    status byte, the limits from page 0, gross, net and overload from page 1 (bit 5)."""
    now, out = ["0"] * 6, []
    for s in statuses:
        bit = lambda mask: "1" if s & mask else "0"
        now[5] = bit(0x04)
        if s & 0x20:
            now[2], now[3], now[4] = ("0" if s & 0x08 else "1"), bit(0x08), bit(0x10)
        else:
            now[0], now[1] = bit(0x08), bit(0x10)
        out.append(list(now))
    return out


if __name__ == "__main__":
    main()
