#!/usr/bin/env python3
"""The window at the prefix's scale: Wine takes the screen's DPI from the registry, and the main
window, pictured by --record --screenshot (as BMP, and as PNG at 192 DPI), is as many times larger
as the DPI is above 96.
   dpi_test.py DYNLOG WINE_RUN KM470SIM"""
import os
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

DYNLOG, WINE_RUN, SIM = sys.argv[1:4]


def wine(*args, **kw):
    return subprocess.run([WINE_RUN, *args], capture_output=True, text=True, **kw)


def picture_size(dpi, work):
    """The client's size in the picture; at 192 DPI a PNG (by its name), else a BMP."""
    wine("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
         "/d", str(dpi), "/f")
    name = f"{dpi}.png" if dpi == 192 else f"{dpi}.bmp"
    run = wine(DYNLOG, "--record", "1", "--output", "x.txt", "--screenshot", name,
               "--overwrite", cwd=work, timeout=120)  # a hang guard only
    data = (Path(work) / name).read_bytes()
    if run.returncode == 0 and data[:8] == b"\x89PNG\r\n\x1a\n":
        return struct.unpack(">II", data[16:24])
    if run.returncode != 0 or data[:2] != b"BM" or name.endswith(".png"):
        sys.exit(f"no picture at {dpi} DPI: {run.returncode} {run.stdout} {run.stderr}")
    return struct.unpack("<ii", data[18:26])


def main():
    port = Path(os.environ["DYNLOG_WINEPREFIX"]) / "ports" / "com2"
    sim = subprocess.Popen([SIM, "--link", str(port)], stdout=subprocess.PIPE)
    try:
        sim.stdout.readline()  # the link is in place
        with tempfile.TemporaryDirectory() as work:
            base = picture_size(96, work)
            failed = False
            for dpi in (144, 192):
                size = picture_size(dpi, work)
                ratios = [s / b for s, b in zip(size, base)]
                print(f"{dpi} DPI: client {size} against {base} at 96, ratios {ratios}")
                # The window's outer size is scaled; its title bar and borders grow a little less
                # than the scale, so the client a little more.
                failed |= any(abs(r - dpi / 96) > 0.03 for r in ratios)
            return 1 if failed else 0
    finally:
        sim.terminate()
        sim.wait(10)  # a hang guard only


if __name__ == "__main__":
    sys.exit(main())
