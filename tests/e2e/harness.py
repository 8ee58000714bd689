"""End-to-end harness: runs the real program ($TESSARY_BIN) on a private Xvfb in a fresh
working directory, drives it with xdotool, reads windows with xwininfo and pictures with
ImageMagick's import. Every wait is time-boxed; the program and the server are killed when
the session ends."""

import ctypes
import ctypes.util
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

QUESTION_TITLE = "質問"
QUESTION_TEXT = "フルスクリーンで起動しますか？"
INIT_FAILED_TEXT = "Direct3Dの初期化に失敗。"
MAIN_TITLE = "Tessary(?)"
SCREEN = (1280, 1024)
SANITIZER_MARKERS = ("ERROR: AddressSanitizer", "runtime error:", "LeakSanitizer")
# The exit status ctest reports as a skip (SKIP_RETURN_CODE in CMakeLists.txt).
SKIP_CODE = 77


def main():
    """Runs the calling file's tests and exits: 1 if any failed, SKIP_CODE if any was
    skipped, so that ctest shows a check that did not run as skipped rather than passed."""
    result = unittest.main(verbosity=2, exit=False).result
    sys.exit(1 if not result.wasSuccessful() else SKIP_CODE if result.skipped else 0)


class HarnessError(AssertionError):
    """A step of the harness did not happen in time or failed."""


def wait_for(predicate, timeout, what, interval=0.1):
    """The first true value of predicate(), polled for at most `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while not (value := predicate()):
        if time.monotonic() > deadline:
            raise HarnessError(f"{what} within {timeout} s")
        time.sleep(interval)
    return value


class Image:
    """An RGB picture, 3 bytes a pixel, top row first."""

    def __init__(self, width, data):
        self.width, self.data = width, data

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])


_LIBC = ctypes.CDLL(None)


def _die_with_harness():
    """Runs in each child before exec: the kernel kills it when the harness dies, so a test
    killed on a timeout leaves no X server or program running to load the machine."""
    _LIBC.prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


def _kill_group(proc):
    if proc is not None and proc.poll() is None:
        os.killpg(proc.pid, signal.SIGKILL)
        proc.wait(timeout=10)


class Session:
    """One X server, and on it one run of the program at a time."""

    def __init__(self):
        self.workdir = tempfile.mkdtemp(prefix="tessary-e2e-")
        self.proc = self.xvfb = None

    def __enter__(self):
        try:
            self._start_display()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()

    def _start_display(self):
        read_fd, write_fd = os.pipe()
        with open(os.path.join(self.workdir, "xvfb.log"), "wb") as log:
            self.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "%dx%dx24" % SCREEN,
                 "-nolisten", "tcp", "-noreset"], pass_fds=(write_fd,),
                stdin=subprocess.DEVNULL, stdout=log, stderr=log, start_new_session=True,
                preexec_fn=_die_with_harness)
        os.close(write_fd)
        # Xvfb writes its display number once it listens; if it dies, the pipe ends.
        with os.fdopen(read_fd, "rb") as pipe:
            number = pipe.readline().strip() if select.select([pipe], [], [], 15)[0] else b""
        if not number:
            raise HarnessError("Xvfb did not start: " + self.read("xvfb.log"))
        self.display = ":" + number.decode()
        self.env = dict(os.environ, DISPLAY=self.display)
        self.env.pop("XAUTHORITY", None)
        self.env.pop("WAYLAND_DISPLAY", None)

    def close(self):
        _kill_group(self.proc)
        _kill_group(self.xvfb)
        shutil.rmtree(self.workdir, ignore_errors=True)

    def read(self, name):
        path = os.path.join(self.workdir, name)
        if not os.path.exists(path):
            return ""
        with open(path, "rb") as f:
            return f.read().decode(errors="replace")

    def run(self, *args, timeout=10, check=True, raw=False):
        """Runs a command on the display; its standard output."""
        try:
            result = subprocess.run(args, env=self.env, stdin=subprocess.DEVNULL,
                                    capture_output=True, timeout=timeout)
        except subprocess.TimeoutExpired as exc:
            raise HarnessError(f"{args[0]} took longer than {timeout} s") from exc
        if check and result.returncode != 0:
            raise HarnessError(f"{' '.join(args)} failed ({result.returncode}): "
                               f"{result.stderr.decode(errors='replace').strip()}")
        return result.stdout if raw else result.stdout.decode(errors="replace")

    # -- the program ------------------------------------------------------

    def start(self, conf=None, display=True, program=None, args=()):
        """Starts the program (by default $TESSARY_BIN) with the given conf.txt text (None:
        no file) and command-line arguments, after ending any earlier run."""
        program = program or os.environ.get("TESSARY_BIN")
        if not program:
            raise unittest.SkipTest("TESSARY_BIN is not set (run the tests through ctest)")
        path = os.path.join(self.workdir, "conf.txt")
        if conf is not None:
            with open(path, "w", encoding="ascii") as f:
                f.write(conf)
        elif os.path.exists(path):
            os.remove(path)
        env = dict(self.env)
        if not display:
            del env["DISPLAY"]
        _kill_group(self.proc)
        with open(os.path.join(self.workdir, "output.txt"), "wb") as out:
            self.proc = subprocess.Popen([program, *args], cwd=self.workdir, env=env,
                                         stdin=subprocess.DEVNULL, stdout=out,
                                         stderr=subprocess.STDOUT, start_new_session=True,
                                         preexec_fn=_die_with_harness)

    def start_main(self, conf=None, yes=False, program=None, args=()):
        """Starts the program, answers the full-screen question with the keyboard (Return =
        Yes, Escape = No) and returns the main window. Both are found by their exact titles."""
        self.start(conf, program=program, args=args)
        box = self.find_window(QUESTION_TITLE)
        self.key(box, "Return" if yes else "Escape")
        wait_for(lambda: not self.viewable(box), 10, f"the question {box} still shown")
        return self.find_window(MAIN_TITLE)

    def alive(self):
        return self.proc is not None and self.proc.poll() is None

    def wait_exit(self, timeout):
        """The exit status, or a HarnessError (the program is then killed)."""
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired as exc:
            _kill_group(self.proc)
            raise HarnessError(f"the program did not end within {timeout} s:\n"
                               + self.output()) from exc

    def output(self):
        """What the current run wrote to standard output and standard error."""
        return self.read("output.txt")

    def quit_with_escape(self, window, timeout=20):
        """Presses Escape in `window` and requires the program to end with status 0 and no
        sanitizer report."""
        self.key(window, "Escape")
        status = self.wait_exit(timeout)
        if status != 0:
            raise HarnessError(f"exit status {status} after Escape:\n" + self.output())
        self.check_sanitizers()

    def check_sanitizers(self):
        text = self.output()
        for marker in SANITIZER_MARKERS:
            if marker in text:
                raise HarnessError(f"sanitizer report ({marker}):\n{text}")

    # -- windows and input ------------------------------------------------

    def find_window(self, title, timeout=30):
        """The first viewable window titled exactly `title`. xwininfo, because xdotool
        cannot match titles that are not Latin-1 (SDL's message boxes use UTF-8)."""
        def find():
            if not self.alive():
                raise HarnessError(f"the program ended ({self.proc.returncode}) before a "
                                   f"window {title!r} appeared:\n" + self.output())
            tree = self.run("xwininfo", "-root", "-tree", check=False)
            return next((int(m.group(1), 16) for m in
                         re.finditer(r'^\s*(0x[0-9a-f]+) "(.*)":', tree, re.M)
                         if m.group(2) == title and self.viewable(int(m.group(1), 16))), None)
        return wait_for(find, timeout, f"no window {title!r}")

    def viewable(self, window):
        return "Map State: IsViewable" in self.run("xwininfo", "-id", str(window), check=False)

    def geometry(self, window):
        """(x, y, width, height) of the window's client area; x, y on the screen."""
        out = self.run("xwininfo", "-id", str(window))
        keys = ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")
        return tuple(int(re.search(r"^\s*" + key + r":\s*(-?\d+)", out, re.M).group(1))
                     for key in keys)

    def screenshot(self, window):
        """The client area of `window` as an Image."""
        x, y, w, h = self.geometry(window)
        data = self.run("import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "+repage",
                        "-depth", "8", "rgb:-", timeout=20, raw=True)
        if len(data) != w * h * 3:
            raise HarnessError(f"import gave {len(data)} bytes for {w}x{h}")
        return Image(w, data)

    def key(self, window, name, shift=False):
        """Presses and releases one key (an X keysym name, e.g. "Escape") in `window`, with
        Shift held if asked (so "question" types '?'). Sent
        as events to that window: xdotool's `key --window` presses the real key when the
        window has the focus but releases it with a sent event once the focus has moved, so
        a program that hides its window on the press left the key held on the X server,
        and every later window got its repeats."""
        x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        x11.XStringToKeysym.restype = ctypes.c_ulong
        keysym = x11.XStringToKeysym(name.encode())
        if not keysym:
            raise HarnessError(f"no key named {name!r}")

        def events(x11, dpy):
            x11.XDefaultRootWindow.restype = ctypes.c_ulong
            keycode = x11.XKeysymToKeycode(dpy, ctypes.c_ulong(keysym))
            root = x11.XDefaultRootWindow(dpy)
            for kind in (2, 3):  # KeyPress, KeyRelease
                # An XKeyEvent on LP64 little-endian: type, serial, send_event, display,
                # window, root, subwindow, time as longs; x, y, x_root, y_root, state,
                # keycode and same_screen as ints.
                event = (ctypes.c_long * 24)(kind, 0, 1, 0, window, root, 0, 0)
                ints = ctypes.cast(ctypes.byref(event, 8 * 8), ctypes.POINTER(ctypes.c_int))
                for i, value in enumerate((1, 1, 1, 1, int(shift), keycode, 1)):  # ShiftMask 1
                    ints[i] = value
                yield event
        self._send(window, events)

    def button(self, down):
        self.run("xdotool", "mousedown" if down else "mouseup", "1")

    def move(self, x, y):
        """Moves the pointer to screen position x, y (clamped to the screen, as the server
        clamps the pointer) and waits until it is there: xdotool's own --sync waits forever
        when the pointer is already at the target."""
        x, y = min(max(x, 0), SCREEN[0] - 1), min(max(y, 0), SCREEN[1] - 1)
        self.run("xdotool", "mousemove", str(x), str(y))
        wait_for(lambda: f"X={x}\nY={y}\n" in self.run("xdotool", "getmouselocation", "--shell"),
                 5, f"the pointer did not reach {x}, {y}", interval=0.02)

    def move_in(self, window, x, y):
        """Moves the pointer to client position x, y of `window`."""
        left, top, _, _ = self.geometry(window)
        self.move(left + x, top + y)

    def _send(self, window, event):
        """Sends an X event (24 longs) to the client that made `window`."""
        x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        dpy = ctypes.c_void_p(x11.XOpenDisplay(self.display.encode()))
        if not dpy.value:
            raise HarnessError(f"cannot open display {self.display}")
        try:
            for e in event(x11, dpy):
                if not x11.XSendEvent(dpy, ctypes.c_ulong(window), 0, 0, e):
                    raise HarnessError("XSendEvent failed")
        finally:
            x11.XCloseDisplay(dpy)  # flushes the requests


    def close_window(self, window):
        """Sends WM_PROTOCOLS / WM_DELETE_WINDOW, as a window manager does for the title
        bar's close button."""
        def events(x11, dpy):
            atom = lambda name: x11.XInternAtom(dpy, name, 0)  # noqa: E731
            # An XClientMessageEvent on LP64 little-endian, one long a field: type
            # (ClientMessage), serial, send_event, display, window, message_type, format,
            # then data.l[0] (the protocol) and data.l[1] (CurrentTime).
            yield (ctypes.c_long * 24)(33, 0, 0, 0, window, atom(b"WM_PROTOCOLS"), 32,
                                       atom(b"WM_DELETE_WINDOW"), 0)
        self._send(window, events)
