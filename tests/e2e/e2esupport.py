"""What the end-to-end tests share: the programs, the simulated unit, and the values a
measurement file must hold, computed in exact arithmetic.

The test scripts are run as SCRIPT DYNLOG_EXE KM470SIM WINE_RUN."""
import fcntl
import os
import re
import signal
import struct
import subprocess
import sys
import termios
import time
import unittest
from contextlib import contextmanager
from fractions import Fraction
from pathlib import Path

DYNLOG, SIM, WINE_RUN = sys.argv[1:4]
# The prefix wine-run.sh uses, from the same place it takes it.
PREFIX = subprocess.run(
    ["bash", "-c", 'source "$(dirname "$0")/wine-env.sh" && printf %s "$WINEPREFIX"', WINE_RUN],
    capture_output=True, text=True, check=True).stdout

RATES = {"320": 320, "160": 160, "80": 80, "40": 40, "20": 20, "10": 10, "5": 5, "2,5": 2.5}


def german(value, decimals):
    """The file's number text for an exact value (int or Fraction): rounded once, half away from
    zero, to `decimals` places (the unit's counts never need more than 5 significant digits);
    point groups thousands, comma before the decimals."""
    q = Fraction(value) * 10 ** decimals
    units = (abs(q.numerator) * 2 + q.denominator) // (2 * q.denominator)
    whole = f"{units // 10 ** decimals:,}".replace(",", ".")
    return (("-" if q < 0 and units else "") + whole
            + (f",{units % 10 ** decimals:0{decimals}d}" if decimals else ""))


def expected_values(counts, decimals, rate_text, baud9600, average, frames=None):
    """What the acquisition cycle records from the unit's frames, in exact arithmetic: each kept
    value, or the mean of the frames it stands for, as a fraction (the 10000 a recording keeps are
    never reached here). `frames`, a list, gets the index of each kept value's frame."""
    skip, buffered, out = 32, [], []
    reload = int(320 / RATES[rate_text]) - 1  # the frames passed over between kept ones
    reload = int((reload + 1) / 2) - 1 if baud9600 else reload
    for index, count in enumerate(counts):
        value = Fraction(count, 10 ** decimals)
        if skip >= 1:
            skip -= 1
            if average:
                buffered.append(value)
            continue
        skip = reload
        if frames is not None:
            frames.append(index)
        if average:
            value = (sum(buffered) + value) / (len(buffered) + 1)
            buffered = []
        out.append(value)
    return out


def stream_texts(counts):
    """The lines a stream at 320 values a second writes for these counts at one decimal."""
    return [german(v, 1) for v in expected_values(counts, 1, "320", False, False)]


class Unit:
    """The simulated unit on a pty, linked as COM`port` (None: not linked)."""
    def __init__(self, port, baud, decimals, workdir, name="unit", extra=()):
        self.log = Path(workdir) / f"{name}.log"
        self.link = Path(PREFIX) / "ports" / f"com{port}"
        self.proc = subprocess.Popen(
            [SIM, *(["--link", str(self.link)] if port else []), "--baud", str(baud),
             "--decimals", str(decimals), "--log", str(self.log), *extra],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.pty = self.proc.stdout.readline().decode().strip()  # once the link is in place

    def events(self):
        return self.log.read_text().split("\n")

    def counts(self):
        out = []
        for line in self.events():
            m = re.match(r"frame \d+ (-?\d+) ", line + " ")
            if m:
                out.append(int(m.group(1)))
        return out

    def wait_for_stream(self):
        """Until the unit has been told to start streaming."""
        end = time.monotonic() + 60  # a hang guard only
        while "start" not in self.events():
            if time.monotonic() > end:
                raise AssertionError("the stream never started")
            time.sleep(0.1)

    def unread(self):
        """Bytes on the line that the program has not taken yet."""
        with open(os.open(self.pty, os.O_RDONLY | os.O_NOCTTY | os.O_NONBLOCK), "rb", 0) as line:
            return struct.unpack("i", fcntl.ioctl(line, termios.TIOCINQ, b"\0" * 4))[0]

    def wait_until_read(self, frames_since=None):
        """Until the program has taken every byte sent; with frames_since (a count of frames
        logged), until it has taken a whole frame of those sent after them. The look at the line
        that took them was over by the return."""
        end = time.monotonic() + 60  # a hang guard only
        while True:
            if frames_since is None:
                if self.unread() == 0:
                    return
            else:
                # The log first: the frames it names were on the line before the count is asked.
                after = len(self.counts()) - frames_since
                if after > 0 and self.unread() <= 3 * (after - 1):
                    return
            if time.monotonic() > end:
                raise AssertionError("the program stopped reading the line")
            time.sleep(0.002)

    def stopped_after_last_start(self):
        events = self.events()
        return "stop" in events[len(events) - events[::-1].index("start"):]

    def stop(self):
        self.proc.terminate()
        self.proc.wait(10)  # a hang guard only
        self.proc.stdout.close()
        self.proc.stderr.close()


@contextmanager
def held(command):
    """Holds every process whose command line holds `command`, as a busy machine may hold a
    program up: none of them runs until the block is left."""
    pids = [int(p) for p in subprocess.run(["pgrep", "-f", command], capture_output=True,
                                           text=True).stdout.split()]
    assert pids, command
    for pid in pids:
        os.kill(pid, signal.SIGSTOP)
    try:
        yield
    finally:
        for pid in pids:
            os.kill(pid, signal.SIGCONT)


def winpath(p):
    return "Z:" + str(p).replace("/", "\\")


def start_dynlog(workdir, *args):
    return subprocess.Popen([WINE_RUN, DYNLOG, *args], cwd=workdir, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE)


def run_dynlog(workdir, *args):
    return subprocess.run([WINE_RUN, DYNLOG, *args], cwd=workdir, capture_output=True,
                          timeout=120)  # a hang guard only


def file_values(path):
    """The value lines of a measurement file, after its three-line head."""
    return path.read_bytes().decode("cp1252").split("\r\n")[3:]


def main():
    """Runs the calling script's cases. "PART/PARTS" after the three programs runs every PARTS-th
    case from the PART-th on, in the order of their names, so that a long suite runs in parts side
    by side, each in a Wine prefix of its own; other words name cases, as for unittest."""
    args = sys.argv[4:]
    if args and re.fullmatch(r"\d+/\d+", args[0]):
        part, parts = map(int, args.pop(0).split("/"))
        names = unittest.defaultTestLoader.getTestCaseNames
        unittest.defaultTestLoader.getTestCaseNames = lambda case: names(case)[part - 1::parts]
    unittest.main(module="__main__", argv=[sys.argv[0], *args], verbosity=2)
