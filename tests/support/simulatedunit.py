#!/usr/bin/env python3
"""Runs a test program with simulated units on call, started from the Linux side: a start through
Wine's process start costs a second, from here a few milliseconds.

    simulatedunit.py KM470SIM COMMAND...

Runs COMMAND with DYNLOG_UNIT_DIR naming a folder of requests, and answers them while it runs
(tests/support/simulatedunit.cpp writes them, each in one piece):
    start-ID   km470sim's arguments, one a line: written ID.pid once the unit's link is in place,
               or ID.failed with its error output
    stop-ID    the unit ended (its link removed): written ID.stopped
    run-ID     a shell command line: written ID.done with its exit code
Units left running at the end are stopped. Exits with COMMAND's exit code."""
import os
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path


def main():
    sim, command = sys.argv[1], sys.argv[2:]
    folder = Path(tempfile.mkdtemp(prefix="dynlog-units-"))
    units = {}
    test = subprocess.Popen(command, env=dict(os.environ, DYNLOG_UNIT_DIR=str(folder)))
    try:
        while test.poll() is None:
            requests = sorted(p for p in folder.iterdir() if p.name.split("-")[0] in
                              ("start", "stop", "run"))
            for request in requests:
                kind, ident = request.name.split("-", 1)
                text = request.read_text()
                request.unlink()
                if kind == "start":
                    start(sim, text.splitlines(), folder, ident, units)
                elif kind == "stop":
                    stop(units.pop(ident, None))
                    (folder / f"{ident}.stopped").write_text("")
                else:
                    rc = subprocess.run(["sh", "-c", text]).returncode
                    (folder / f"{ident}.done").write_text(str(rc))
            time.sleep(0.01)
    finally:
        for unit in units.values():
            stop(unit)
        if test.poll() is None:
            test.kill()
            test.wait()
        shutil.rmtree(folder, ignore_errors=True)
    sys.exit(test.returncode)


def start(sim, args, folder, ident, units):
    err = open(folder / f"{ident}.err", "wb")
    unit = subprocess.Popen([sim, *args], stdout=subprocess.PIPE, stderr=err)
    err.close()
    # The unit prints its pty's path once the link is in place.
    if unit.stdout.readline():
        units[ident] = unit
        (folder / f"{ident}.pid").write_text(str(unit.pid))
    else:
        unit.wait()
        (folder / f"{ident}.failed").write_bytes((folder / f"{ident}.err").read_bytes())


def stop(unit):
    if unit is None:
        return
    unit.terminate()
    try:
        unit.wait(10)
    except subprocess.TimeoutExpired:
        unit.kill()
        unit.wait()
    unit.stdout.close()


if __name__ == "__main__":
    main()
