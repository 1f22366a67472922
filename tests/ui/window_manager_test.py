#!/usr/bin/env python3
"""The minimum size on screen: Wine's X11 driver on Xvfb with a window manager (openbox), which
shrinks the main window's X window far below its minimum (the size it starts at), as a user
dragging its edge would; the window must grow back to it.
   window_manager_test.py DYNLOG WINE_RUN"""
import ctypes
import os
import re
import subprocess
import sys
import time
from pathlib import Path

DYNLOG, WINE_RUN = sys.argv[1:3]
X = ctypes.CDLL("libX11.so.6")
X.XOpenDisplay.restype = ctypes.c_void_p
for name, args in [("XOpenDisplay", [ctypes.c_char_p]), ("XPending", [ctypes.c_void_p]),
                   ("XSelectInput", [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]),
                   ("XResizeWindow", [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_uint,
                                      ctypes.c_uint]),
                   ("XNextEvent", [ctypes.c_void_p, ctypes.c_void_p])]:
    getattr(X, name).argtypes = args


class ConfigureEvent(ctypes.Structure):  # XConfigureEvent, in room for any XEvent
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send", ctypes.c_int),
                ("display", ctypes.c_void_p), ("event", ctypes.c_ulong), ("window", ctypes.c_ulong),
                ("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("rest", ctypes.c_long * 24)]


def until(condition, seconds=20):  # the time is a hang guard only
    end = time.monotonic() + seconds
    while not (result := condition()) and time.monotonic() < end:
        time.sleep(0.05)
    return result


def main():
    # This suite's copy of the prefix gets the X11 driver before Wine first starts in it.
    user_reg = Path(os.environ["DYNLOG_WINEPREFIX"]) / "user.reg"
    user_reg.write_text(user_reg.read_text().replace('"Graphics"="null"', '"Graphics"="x11"'))
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-nolisten", "tcp"],
                            pass_fds=[write], stderr=subprocess.DEVNULL)
    os.close(write)
    display = ":" + os.fdopen(read).readline().strip()
    env = dict(os.environ, DISPLAY=display)
    openbox = subprocess.Popen(["openbox"], env=env, stderr=subprocess.DEVNULL)
    run = subprocess.Popen([WINE_RUN, DYNLOG], env=env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
    xwininfo = lambda *a: subprocess.run(["xwininfo", *a], env=env, capture_output=True,
                                         text=True).stdout
    try:
        root = re.search(r"Window id: (0x[0-9a-f]+)", xwininfo("-root"))[1]
        caption = r'(0x[0-9a-f]+) "KM470/PT615 Signal"'
        window = int(until(lambda: re.search(caption, xwininfo("-root", "-tree")))[1], 16)
        until(lambda: f"Parent window id: {root}" not in xwininfo("-id", hex(window), "-tree"))
        shown = tuple(int(re.search(f"{k}: (\\d+)", xwininfo("-id", hex(window)))[1])
                      for k in ("Width", "Height"))
        dpy = X.XOpenDisplay(display.encode())
        X.XSelectInput(dpy, window, 1 << 17)  # StructureNotifyMask: its sizes as they come
        X.XResizeWindow(dpy, window, 149, 96)  # a request the window manager grants
        sizes, event = [], ConfigureEvent()

        def settled():  # shrunk, then back (without the fix it stays shrunk: the guard's 5 s)
            while X.XPending(dpy):
                X.XNextEvent(dpy, ctypes.byref(event))
                if event.type == 22:  # ConfigureNotify
                    sizes.append((event.width, event.height))
            return (149, 96) in sizes and sizes[-1] == shown

        ok = until(settled, 5)
        print(f"shown at {shown}, then {sizes}")
        return 0 if ok else 1
    finally:
        run.kill()
        subprocess.run(["bash", "-c", 'source "$(dirname "$0")/wine-env.sh"; wineserver -k',
                        WINE_RUN], env=env)
        for server in (openbox, xvfb):
            server.terminate()
            server.wait(10)  # a hang guard only


if __name__ == "__main__":
    sys.exit(main())
