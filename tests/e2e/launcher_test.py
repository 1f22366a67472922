#!/usr/bin/env python3
"""scripts/dynlog.sh, the launcher for real serial devices: km470sim's pty as the device during a
--stream until a signal ends it; each mistake refused before anything is linked or started."""
import os
import pty
import signal
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

from e2esupport import (DYNLOG, PREFIX, WINE_RUN, Unit, file_values, main, stream_texts,
                        winpath)

LAUNCHER = Path(WINE_RUN).with_name("dynlog.sh")
PORTS = Path(PREFIX) / "ports"


def launch(workdir, *args, user=None, **environ):
    """Runs the launcher; its output goes to files, as Wine's helpers may hold pipes open."""
    env = dict(os.environ, DYNLOG_EXE=DYNLOG, DYNLOG_WINEPREFIX=PREFIX, **environ)
    command = [str(LAUNCHER), *args]
    if user:
        command = ["setpriv", "--reuid", str(user), "--regid", str(user), "--clear-groups", *command]
    with open(Path(workdir) / "out", "wb") as out, open(Path(workdir) / "err", "wb") as err:
        rc = subprocess.run(command, cwd=workdir, env=env, stdout=out, stderr=err,
                            timeout=180).returncode  # a hang guard only
    return rc, (Path(workdir) / "err").read_text(errors="replace")


def output_through(target, workdir, *args):
    """What the launcher hands on of standard output to a file, a pipe or a terminal."""
    if target == "file":
        writer = os.open(Path(workdir) / "out", os.O_WRONLY | os.O_CREAT | os.O_TRUNC)
        reader = os.open(Path(workdir) / "out", os.O_RDONLY)
    else:
        reader, writer = os.pipe() if target == "pipe" else pty.openpty()
    env = dict(os.environ, DYNLOG_EXE=DYNLOG, DYNLOG_WINEPREFIX=PREFIX)
    subprocess.run([str(LAUNCHER), *args], cwd=workdir, env=env, stdout=writer,
                   stderr=subprocess.DEVNULL, timeout=180)  # a hang guard only
    os.close(writer)
    text = os.read(reader, 1 << 16).decode(errors="replace")  # all of it, a few lines
    os.close(reader)
    return text


def links():
    return sorted(p.name for p in PORTS.iterdir() if p.is_symlink()) if PORTS.exists() else []


class Launcher(unittest.TestCase):
    def setUp(self):
        self.dir = Path(tempfile.mkdtemp(prefix="dynlog-launcher-"))

    def test_mistakes_are_refused_before_anything_is_linked_or_started(self):
        regular = self.dir / "datei"
        regular.write_text("x")
        cases = [
            (["--com", "1=/dev/ttyUSB_fehlt"], "/dev/ttyUSB_fehlt gibt es nicht"),
            (["--com", f"1={regular}"], "kein serielles Gerät"),
            (["--com", "257=/dev/null"], "COM 257 gibt es nicht: N geht von 1 bis 256"),
            (["--com", "0=/dev/null"], "COM 0 gibt es nicht"),
            (["--com", "1"], "--com braucht N=GERÄT"),
            (["--com", "1=/dev/null", "--com", "1=/dev/zero"], "COM 1 ist zweimal angegeben"),
            (["--workdir", str(self.dir / "fehlt")], "den Ordner"),
            (["--laut"], "unbekanntes Argument"),
        ]
        before = links()
        for args, message in cases:
            rc, err = launch(self.dir, *args)
            self.assertEqual(rc, 2, args)
            self.assertIn(message, err)
            self.assertEqual(links(), before, args)

    def test_a_device_the_user_may_not_use_names_the_group_to_join(self):
        if os.getuid() != 0:
            self.skipTest("needs root to make a device node and to run as another user")
        device = self.dir / "ttyTEST"
        subprocess.run(["mknod", str(device), "c", "1", "3"], check=True)  # like /dev/null
        os.chown(device, 0, 20)  # group dialout on Debian
        os.chmod(device, 0o660)
        os.chmod(self.dir, 0o755)
        rc, err = launch(self.dir, "--com", f"1={device}", user=65534)  # nobody
        self.assertEqual(rc, 2)
        self.assertIn("darf nicht gelesen und beschrieben werden", err)
        self.assertIn("Gruppe dialout", err)

    def test_a_unit_on_com12_is_found_kept_in_km470_ini_and_used_again(self):
        unit = Unit(None, 9600, 1, self.dir)
        try:
            # The first run searches past COM1 to COM4 (and the machine's own ports); the second
            # fails unless it finds the unit where km470.ini says, without a search.
            for limit, name in (("20000", "a.txt"), ("100", "b.txt")):
                rc, err = launch(self.dir, "--com", f"12={unit.pty}", "--", "--record", "1",
                                 "--output", name, DYNLOG_SEARCH_LIMIT_MS=limit)
                self.assertEqual(rc, 0, err)
        finally:
            unit.stop()
        self.assertIn("COM-Nummer=12", (self.dir / "km470.ini").read_text())

    def test_standard_output_reaches_a_file_a_pipe_and_a_terminal(self):
        unit = Unit(None, 9600, 1, self.dir)
        try:
            for n, target in enumerate(("file", "pipe", "terminal")):
                out = output_through(target, self.dir, "--com", f"3={unit.pty}", "--",
                                     "--record", "1", "--output", f"{n}.txt")
                self.assertIn("Werte: 10", out, target)
                self.assertIn("Maximum: ", out, target)
        finally:
            unit.stop()

    def test_a_signal_ends_the_stream_cleanly_with_or_without_a_terminal(self):
        # Each ends the stream as Ctrl+C does: the unit stopped, every value written, and the
        # launcher's code names the signal. Started from a terminal, as a background job of an
        # interactive shell there (`&`), or without one (a service, nohup): `script` gives the
        # shell a terminal whose session it leads; closing it sends SIGHUP to its process group.
        starts = {
            "terminal": ["script", "-qec", "echo $$ > launcher.pid; exec sh run.sh", "/dev/null"],
            "background": ["script", "-qec", "bash --norc -i", "/dev/null"],
            "none": ["setsid", "sh", "-c", "echo $$ > launcher.pid; exec sh run.sh"],
        }
        cases = [("terminal", signal.SIGHUP, os.killpg), ("background", signal.SIGTERM, os.kill),
                 ("none", signal.SIGTERM, os.kill), ("none", signal.SIGHUP, os.kill)]
        for start, sig, send in cases:
            with self.subTest(start=start, signal=sig.name):
                self.run_stream_until(starts[start], sig, send)

    def run_stream_until(self, start, sig, send):
        work = Path(tempfile.mkdtemp(prefix="run-", dir=self.dir))
        unit = Unit(None, 19200, 1, work)
        (work / "km470.ini").write_text("[Einstellung]\r\nCOM-Kanal=3\r\nBaudrate=19200\r\n")
        out = work / "lauf.txt"
        before = links()
        (work / "run.sh").write_text(f"exec {LAUNCHER} --com 3={unit.pty} --workdir {work} -- "
                                     f"--stream '{winpath(out)}' --rate 320 2> err\n")
        env = dict(os.environ, DYNLOG_EXE=DYNLOG, DYNLOG_WINEPREFIX=PREFIX, SHELL="/bin/sh")
        run = subprocess.Popen(start, cwd=work, stdin=subprocess.PIPE,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
        # What a person types into the interactive shell; the others read nothing.
        run.stdin.write(b"sh run.sh > /dev/null & echo $! > launcher.pid\nwait $!; exit $?\n")
        run.stdin.close()
        try:
            unit.wait_for_stream()
            time.sleep(2)
            launcher = int((work / "launcher.pid").read_text())
            send(launcher, sig)
            rc = run.wait(60)  # the launcher ends with the program; a hang guard only
        finally:
            if run.poll() is None:  # the program too, which would read the next case's unit
                run.kill()
                subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=PREFIX))
            unit.stop()
        err = (work / "err").read_text(errors="replace")
        self.assertEqual(rc, 128 + sig, err)
        self.assertIn(f"COM3 = {os.path.realpath(unit.pty)}", err)
        self.assertEqual(links(), before, "the link is removed at the end")
        self.assertTrue(unit.stopped_after_last_start(), "the unit was not stopped")
        sent = stream_texts(unit.counts())
        values = file_values(out)
        self.assertEqual(values[-1], "")  # every line ended
        # Whatever the unit sent before it was stopped, but the frames still on their way.
        self.assertEqual(values[:-1], sent[:len(values) - 1])
        self.assertGreater(len(values) - 1, len(sent) - 32)


if __name__ == "__main__":
    main()
