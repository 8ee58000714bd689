"""End-to-end harness: runs the real program ($TESSARY_BIN) on a private
Xvfb in a fresh working directory and drives it with xdotool, reads windows
with xwininfo/xprop and pictures with ImageMagick import. Every wait is
time-boxed; the program and the server are killed when the session ends.
The window manager's close request is sent through libX11 via ctypes."""

import ctypes
import ctypes.util
import os
import re
import select
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

QUESTION_TITLE = "質問"
QUESTION_TEXT = "フルスクリーンで起動しますか？"
INIT_FAILED_TEXT = "Direct3Dの初期化に失敗。"
MAIN_TITLE = "Tessary(?)"

SANITIZER_MARKERS = ("ERROR: AddressSanitizer", "runtime error:", "LeakSanitizer")


class HarnessError(AssertionError):
    """A step of the harness did not happen in time or failed."""


def program_path():
    path = os.environ.get("TESSARY_BIN")
    if not path:
        raise unittest.SkipTest("TESSARY_BIN is not set (run the tests through ctest)")
    return path


def _run(args, env, timeout=10, check=True, decode=True):
    try:
        result = subprocess.run(args, env=env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                timeout=timeout)
    except subprocess.TimeoutExpired as exc:
        raise HarnessError(f"{args[0]} took longer than {timeout} s") from exc
    if check and result.returncode != 0:
        raise HarnessError(f"{' '.join(args)} failed ({result.returncode}): "
                           f"{result.stderr.decode(errors='replace').strip()}")
    return result.stdout.decode(errors="replace") if decode else result.stdout


class Image:
    """An RGB picture, 3 bytes a pixel, top row first."""

    def __init__(self, width, height, data):
        self.width = width
        self.height = height
        self.data = data  # width * height * 3 bytes

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])


def parse_ppm(blob):
    """Parses a binary (P6) PPM with 8-bit channels, as import writes it."""
    m = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", blob)
    if not m:
        raise HarnessError(f"not an 8-bit binary PPM: {blob[:40]!r}")
    width, height = int(m.group(1)), int(m.group(2))
    data = blob[m.end():m.end() + width * height * 3]
    if len(data) != width * height * 3:
        raise HarnessError("truncated PPM")
    return Image(width, height, data)


class _XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("xclient", _XClientMessageEvent), ("pad", ctypes.c_long * 24)]


def send_wm_close(display, window):
    """Sends WM_PROTOCOLS / WM_DELETE_WINDOW to `window`, as a window manager
    does when the user clicks the close button."""
    name = ctypes.util.find_library("X11") or "libX11.so.6"
    x11 = ctypes.CDLL(name)
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(_XEvent)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    dpy = x11.XOpenDisplay(display.encode())
    if not dpy:
        raise HarnessError(f"cannot open display {display}")
    try:
        event = _XEvent()
        event.xclient.type = 33  # ClientMessage
        event.xclient.window = window
        event.xclient.message_type = x11.XInternAtom(dpy, b"WM_PROTOCOLS", 0)
        event.xclient.format = 32
        event.xclient.data[0] = x11.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
        event.xclient.data[1] = 0  # CurrentTime
        if not x11.XSendEvent(dpy, window, 0, 0, ctypes.byref(event)):
            raise HarnessError("XSendEvent failed")
        x11.XFlush(dpy)
    finally:
        x11.XCloseDisplay(dpy)


class Session:
    """One X server and at most one run of the program on it."""

    def __init__(self, screen="1280x1024x24"):
        self.screen = screen
        self.workdir = tempfile.mkdtemp(prefix="tessary-e2e-")
        self.xvfb = None
        self.display = None
        self.proc = None
        self._stdout = None
        self._stderr = None
        self.runs = 0
        self.env = None

    # -- lifetime ---------------------------------------------------------

    def __enter__(self):
        try:
            self.start_display()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def start_display(self, timeout=15):
        read_fd, write_fd = os.pipe()
        log = open(os.path.join(self.workdir, "xvfb.log"), "wb")
        try:
            self.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", self.screen,
                 "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_fd,), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                start_new_session=True)
        finally:
            os.close(write_fd)
            log.close()
        number = b""
        deadline = time.monotonic() + timeout
        try:
            while not number.endswith(b"\n"):
                if time.monotonic() > deadline or self.xvfb.poll() is not None:
                    raise HarnessError("Xvfb did not start: " + self.read_file("xvfb.log"))
                if select.select([read_fd], [], [], 0.1)[0]:
                    number += os.read(read_fd, 16)
        finally:
            os.close(read_fd)
        self.display = ":" + number.decode().strip()
        self.env = dict(os.environ)
        self.env["DISPLAY"] = self.display
        self.env.pop("XAUTHORITY", None)
        self.env.pop("WAYLAND_DISPLAY", None)

    def _close_run(self):
        if self.proc is not None and self.proc.poll() is None:
            _kill_group(self.proc)
        for f in (self._stdout, self._stderr):
            if f is not None:
                f.close()

    def close(self):
        self._close_run()
        if self.xvfb is not None and self.xvfb.poll() is None:
            _kill_group(self.xvfb)
        shutil.rmtree(self.workdir, ignore_errors=True)

    # -- the program ------------------------------------------------------

    def start(self, conf=None, display=True):
        """Starts the program with the given conf.txt text (None: no file).
        A session may run the program several times, one after the other."""
        path = os.path.join(self.workdir, "conf.txt")
        if conf is None:
            if os.path.exists(path):
                os.remove(path)
        else:
            with open(path, "w", encoding="ascii") as f:
                f.write(conf)
        env = dict(self.env)
        if not display:
            env.pop("DISPLAY", None)
        self._close_run()
        self.runs += 1
        self._stdout = open(os.path.join(self.workdir, f"stdout-{self.runs}.txt"), "wb")
        self._stderr = open(os.path.join(self.workdir, f"stderr-{self.runs}.txt"), "wb")
        self.proc = subprocess.Popen([program_path()], cwd=self.workdir, env=env,
                                     stdin=subprocess.DEVNULL, stdout=self._stdout,
                                     stderr=self._stderr, start_new_session=True)

    def alive(self):
        return self.proc is not None and self.proc.poll() is None

    def wait_exit(self, timeout=10):
        """The exit status, or a HarnessError (the program is then killed)."""
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired as exc:
            _kill_group(self.proc)
            raise HarnessError(f"the program did not end within {timeout} s; stderr:\n"
                               + self.stderr()) from exc

    def read_file(self, name):
        path = os.path.join(self.workdir, name)
        if not os.path.exists(path):
            return ""
        with open(path, "rb") as f:
            return f.read().decode(errors="replace")

    def stderr(self):
        if self._stderr is not None:
            self._stderr.flush()
        return self.read_file(f"stderr-{self.runs}.txt")

    def check_sanitizers(self):
        text = self.stderr()
        for marker in SANITIZER_MARKERS:
            if marker in text:
                raise HarnessError(f"sanitizer report ({marker}):\n{text}")

    # -- windows ----------------------------------------------------------

    def xdotool(self, *args, timeout=10, check=True):
        return _run(["xdotool", *args], self.env, timeout=timeout, check=check)

    def list_windows(self):
        """(id, title) of every named window. xwininfo, because xdotool cannot
        match titles that are not Latin-1 (SDL's message boxes use UTF-8)."""
        out = _run(["xwininfo", "-root", "-tree"], self.env, check=False)
        return [(int(m.group(1), 16), m.group(2))
                for m in re.finditer(r'^\s*(0x[0-9a-fA-F]+) "(.*)":', out, re.M)]

    def find_window(self, title, timeout=20):
        """The first viewable window whose title is exactly `title`."""
        deadline = time.monotonic() + timeout
        while True:
            if self.proc is not None and self.proc.poll() is not None:
                raise HarnessError(f"the program ended ({self.proc.returncode}) before "
                                   f"a window {title!r} appeared; stderr:\n" + self.stderr())
            for wid, name in self.list_windows():
                if name == title and self.window_exists(wid):
                    return wid
            if time.monotonic() > deadline:
                raise HarnessError(f"no window {title!r} within {timeout} s; windows: "
                                   f"{self.list_windows()}; stderr:\n" + self.stderr())
            time.sleep(0.1)

    def question_window(self, timeout=30):
        return self.find_window(QUESTION_TITLE, timeout)

    def main_window(self, timeout=20):
        return self.find_window(MAIN_TITLE, timeout)

    def answer_question(self, yes=False, timeout=30):
        """Waits for the full-screen question and answers it with the
        keyboard (Return = Yes, Escape = No); returns once the box is gone."""
        box = self.question_window(timeout)
        self.key(box, "Return" if yes else "Escape")
        self.wait_window_gone(box, timeout=10)

    def window_exists(self, window):
        out = _run(["xwininfo", "-id", str(window)], self.env, check=False)
        return "Map State: IsViewable" in out

    def wait_window_gone(self, window, timeout=10):
        deadline = time.monotonic() + timeout
        while self.window_exists(window):
            if time.monotonic() > deadline:
                raise HarnessError(f"window {window} still shown after {timeout} s")
            time.sleep(0.05)

    def geometry(self, window):
        """(x, y, width, height, title) of a window; x, y on the screen."""
        out = _run(["xwininfo", "-id", str(window)], self.env)
        title = re.search(r'Window id: \S+ "(.*)"', out)
        values = []
        for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"):
            m = re.search(r"^\s*" + re.escape(key) + r":\s*(-?\d+)", out, re.M)
            if not m:
                raise HarnessError(f"xwininfo gave no {key}:\n{out}")
            values.append(int(m.group(1)))
        return (*values, title.group(1) if title else None)

    def title(self, window):
        """The window's title as UTF-8 (the _NET_WM_NAME a modern client sets)."""
        out = _run(["xprop", "-id", str(window), "-notype", "_NET_WM_NAME", "WM_NAME"],
                   self.env, check=False)
        for line in out.splitlines():
            m = re.match(r'(_NET_WM_NAME|WM_NAME)\s*=\s*"(.*)"\s*$', line)
            if m:
                return m.group(2).encode("latin-1", "backslashreplace").decode(
                    "utf-8", "replace") if m.group(1) == "WM_NAME" else m.group(2)
        return None

    # -- pictures and input ----------------------------------------------

    def screenshot(self, window):
        """The client area of `window` as an Image."""
        x, y, w, h, _ = self.geometry(window)
        out = _run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "+repage",
                    "-depth", "8", "ppm:-"], self.env, timeout=20, decode=False)
        return parse_ppm(out)

    def key(self, window, keys):
        """Sends key presses (xdotool names, e.g. "Escape") to `window`."""
        self.xdotool("key", "--window", str(window), keys)

    def pointer(self):
        out = self.xdotool("getmouselocation", "--shell")
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"])

    def move(self, x, y, timeout=5):
        """Moves the pointer to screen position x, y and waits until it is
        there. (xdotool's own --sync waits forever when the pointer is
        already at the target.) Targets off the screen are clamped to it, as
        the X server clamps the pointer."""
        width, height = (int(v) for v in self.screen.split("x")[:2])
        x = min(max(x, 0), width - 1)
        y = min(max(y, 0), height - 1)
        self.xdotool("mousemove", str(x), str(y))
        deadline = time.monotonic() + timeout
        while self.pointer() != (x, y):
            if time.monotonic() > deadline:
                raise HarnessError(f"the pointer did not reach {x}, {y} in {timeout} s")
            time.sleep(0.02)

    def move_in(self, window, x, y):
        """Moves the pointer to client position x, y of `window`."""
        left, top, _, _, _ = self.geometry(window)
        self.move(left + x, top + y)

    def button_down(self, button=1):
        self.xdotool("mousedown", str(button))

    def button_up(self, button=1):
        self.xdotool("mouseup", str(button))

    def close_window(self, window):
        """The window manager's close request (the title bar's close button)."""
        send_wm_close(self.display, window)


def _kill_group(proc):
    try:
        os.killpg(proc.pid, signal.SIGKILL)
    except (ProcessLookupError, PermissionError):
        pass
    try:
        proc.wait(timeout=10)
    except subprocess.TimeoutExpired:
        pass
