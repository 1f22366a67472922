#!/usr/bin/env python3
"""scripts/dynlog.sh in a terminal that is closed during --stream: the hang-up ends the stream as
Ctrl+C does, with the unit stopped and every value written.

Usage: hangup_test.py DYNLOG_EXE KM470SIM WINE_RUN"""
import os
import signal
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

from e2esupport import DYNLOG, PREFIX, WINE_RUN, Unit, expected_values, file_values, german, winpath


class Hangup(unittest.TestCase):
    def test_a_closed_terminal_stops_the_unit_and_leaves_every_value(self):
        work = Path(tempfile.mkdtemp(prefix="dynlog-hangup-"))
        unit = Unit(3, 19200, 1, work)
        (work / "km470.ini").write_text("[Einstellung]\r\nCOM-Kanal=3\r\nBaudrate=19200\r\n")
        out = work / "lauf.txt"
        # `script` gives the launcher a terminal whose session it leads, as a shell would; closing
        # that terminal sends SIGHUP to the launcher's process group.
        command = (f"echo $$ > launcher.pid; exec {Path(WINE_RUN).with_name('dynlog.sh')} "
                   f"--com 3={unit.link} -- --stream '{winpath(out)}' --rate 320")
        env = dict(os.environ, DYNLOG_EXE=DYNLOG, DYNLOG_WINEPREFIX=PREFIX, SHELL="/bin/sh")
        run = subprocess.Popen(["script", "-qec", command, "/dev/null"], cwd=work,
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, env=env)
        try:
            end = time.monotonic() + 60  # hang guard only
            while "start" not in unit.log.read_text().split("\n") and time.monotonic() < end:
                time.sleep(0.1)
            time.sleep(2)
            os.killpg(int((work / "launcher.pid").read_text()), signal.SIGHUP)
            run.wait(60)  # the launcher ends with the program
        finally:
            unit.stop()
        events = unit.log.read_text().split("\n")
        self.assertTrue("stop" in events[len(events) - events[::-1].index("start"):],
                        "the unit was not stopped")
        sent = [german(v, 1) for v in expected_values(unit.counts(), 1, "320", False, False, None)]
        values = file_values(out)
        self.assertEqual(values[-1], "")  # every line ended
        # Whatever the unit sent before it was stopped, but the frames still on their way.
        self.assertEqual(values[:-1], sent[:len(values) - 1])
        self.assertGreater(len(values) - 1, len(sent) - 32)


if __name__ == "__main__":
    unittest.main(argv=[__file__], verbosity=2)
