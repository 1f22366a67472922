#!/usr/bin/env python3
"""The minimum size on screen: Wine's X11 driver on a virtual screen (Xvfb) with a window manager
(openbox). The window manager shrinks the form's X window far below the form's minimum, as a user
dragging its edge would; the X window must grow back to the size it had.
   window_manager_test.py UI_TESTS_EXE WINE_RUN"""
import ctypes
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

UI_TESTS, WINE_RUN = sys.argv[1:3]


class XConfigureEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("event", ctypes.c_ulong),
                ("window", ctypes.c_ulong), ("x", ctypes.c_int), ("y", ctypes.c_int),
                ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("padding", ctypes.c_long * 24)]  # the rest of the XEvent union


def until(what, condition, seconds=20):  # the time is a hang guard only
    end = time.monotonic() + seconds
    while not (result := condition()):
        if time.monotonic() > end:
            sys.exit(f"window_manager_test: {what} never happened")
        time.sleep(0.1)
    return result


def main():
    work = Path(tempfile.mkdtemp(prefix="dynlog-wm-"))
    prefix = Path(os.environ["DYNLOG_WINEPREFIX"])
    # This suite's copy of the prefix gets the X11 driver before Wine first starts in it.
    user_reg = prefix / "user.reg"
    user_reg.write_text(user_reg.read_text().replace('"Graphics"="null"', '"Graphics"="x11"'))
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "800x600x24",
                             "-nolisten", "tcp"], pass_fds=[write], stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as f:
        display = ":" + f.readline().strip()
    env = dict(os.environ, DISPLAY=display)
    openbox = subprocess.Popen(["openbox"], env=env, stderr=subprocess.DEVNULL)
    shrunk = work / "shrunk"
    run = subprocess.Popen([WINE_RUN, UI_TESTS, "--gtest_color=no",
                            "--gtest_filter=*ShrunkByTheWindowManager*"],
                           env=dict(env, DYNLOG_SHRUNK_FILE="Z:" + str(shrunk).replace("/", "\\")),
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    failed = False
    try:
        def form_window():
            out = subprocess.run(["xwininfo", "-root", "-tree"], env=env, capture_output=True,
                                 text=True).stdout
            m = re.search(r'(0x[0-9a-f]+) "Minimum"', out)
            return m and m[1]

        def size():
            out = subprocess.run(["xwininfo", "-id", window], env=env, capture_output=True,
                                 text=True).stdout
            return (int(re.search(r"Width: (\d+)", out)[1]),
                    int(re.search(r"Height: (\d+)", out)[1]))

        root = re.search(r"Window id: (0x[0-9a-f]+)", subprocess.run(
            ["xwininfo", "-root"], env=env, capture_output=True, text=True).stdout)[1]
        window = until("the form's X window", form_window)
        until("the frame", lambda: "Parent window id: " + root not in
              subprocess.run(["xwininfo", "-id", window, "-tree"], env=env, capture_output=True,
                             text=True).stdout)
        shown = size()
        x11 = ctypes.CDLL("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        x11.XResizeWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_uint,
                                      ctypes.c_uint]
        for name in ("XPending", "XFlush", "XCloseDisplay"):
            getattr(x11, name).argtypes = [ctypes.c_void_p]
        x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        dpy = x11.XOpenDisplay(display.encode())
        x11.XSelectInput(dpy, int(window, 16), 1 << 17)  # StructureNotifyMask
        # A request to resize a framed window goes to the window manager, which grants it.
        x11.XResizeWindow(dpy, int(window, 16), 149, 96)
        x11.XFlush(dpy)
        sizes, event = [], XConfigureEvent()
        end = time.monotonic() + 5  # a hang guard only: the fault leaves it shrunk
        shrunk_seen = lambda: any(width < shown[0] for width, _ in sizes)
        while time.monotonic() < end and not (shrunk_seen() and sizes[-1] == shown):
            while x11.XPending(dpy):
                x11.XNextEvent(dpy, ctypes.byref(event))
                if event.type == 22:  # ConfigureNotify
                    sizes.append((event.width, event.height))
            time.sleep(0.05)
        x11.XCloseDisplay(dpy)
        print(f"shown {shown}, then {sizes}")
        if not shrunk_seen():
            print("the window manager did not shrink the window")
            failed = True
        if size() != shown:
            print(f"the window stayed at {size()}, below its minimum")
            failed = True
        shrunk.touch()
        out, _ = run.communicate(timeout=60)  # a hang guard only
        print(out)
        failed = failed or run.returncode != 0 or "[  PASSED  ] 1 test" not in out
    finally:
        if run.poll() is None:
            run.kill()
        subprocess.run(["bash", "-c", 'source "$(dirname "$0")/wine-env.sh"; wineserver -k',
                        WINE_RUN], env=env)
        openbox.terminate()
        xvfb.terminate()
        shutil.rmtree(work)
    print("FAILED" if failed else "PASSED")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
