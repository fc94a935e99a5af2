"""Helpers for Larkspan's end-to-end tests (Python standard library only).

The tests run inside scripts/with-wine.sh, which provides the Wine prefix,
HOME, Xvfb and DISPLAY. A test file run directly (python3 test_x.py) starts
that harness itself, see main().

Pieces:
- Config: where larkspan.exe, the driver and the e2e work folder are
  (LARKSPAN_EXE, LARKSPAN_DRIVER, LARKSPAN_E2E_DIR; defaults under
  build/windows).
- wait_until(): polls a condition until a deadline; no fixed sleeps.
- Driver: tests/e2e/driver (larkspan-driver.exe) under Wine, one `serve`
  process per test file answering every look at a window.
- Registry: the driver's reg-query/reg-set/reg-delete for
  HKCU\\Software\\Larkspan\\Load.
- Mouse, Keyboard: real pointer and key input through xdotool.
- Program: one larkspan.exe started in the background.
- LarkspanTestCase: a fresh install folder per test (a copy of the exe
  alone in its folder), a clean settings key, screenshots, and a tearDown
  that kills only the processes this test started.
- Probe: copies of larkspan-probe.exe, a program that appends its command
  line to probe-log.txt in its own folder, to prove what a launch passed.
"""

from __future__ import annotations

import atexit
import ntpath
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from dataclasses import dataclass
from pathlib import Path
from typing import Callable, Optional, Sequence, TypeVar

REPO = Path(__file__).resolve().parents[2]
TITLE = "Brindlewick Larkspan"
APP_KEY = r"HKCU\Software\Larkspan"
SETTINGS_KEY = APP_KEY + r"\Load"
SETTING_NAMES = ("INI_Path", "Size", "Top", "Left", "Width", "Height", "Position", "Autohide", "Hotkey", "Theme")
CATALOGUE_NAME = "zentrol.ini"
DIALOG_CLASS = "#32770"
FLOAT_CLASS = "LarkspanFloat"
DOCK_CLASS = "LarkspanDock"
ABOUT_TITLE = "About Larkspan"

T = TypeVar("T")


# ------------------------------------------------------------------ config --

@dataclass(frozen=True)
class Config:
    exe: Path
    driver: Path
    work: Path
    probe: Path = Path()

    @staticmethod
    def from_env() -> "Config":
        bin_dir = REPO / "build" / "windows" / "bin"
        exe = Path(os.environ.get("LARKSPAN_EXE", bin_dir / "larkspan.exe"))
        return Config(
            exe=exe,
            driver=Path(os.environ.get("LARKSPAN_DRIVER", bin_dir / "larkspan-driver.exe")),
            work=Path(os.environ.get("LARKSPAN_E2E_DIR", REPO / "build" / "windows" / "e2e")),
            # Built beside larkspan.exe.
            probe=Path(os.environ.get("LARKSPAN_PROBE", exe.parent / "larkspan-probe.exe")),
        )


def project_version() -> str:
    """The version the build defines once, in the top CMakeLists.txt."""
    match = re.search(r"project\(\s*Larkspan\s+VERSION\s+(\d+)\.(\d+)\.(\d+)",
                      (REPO / "CMakeLists.txt").read_text())
    if not match:
        raise AssertionError("no project(Larkspan VERSION x.y.z) in CMakeLists.txt")
    return ".".join(match.groups())


def in_harness() -> bool:
    return os.environ.get("LARKSPAN_WINE_HARNESS") == "1" and bool(os.environ.get("WINEPREFIX"))


def main() -> None:
    """Entry point of a test file: run unittest inside the Wine harness."""
    if not in_harness():
        script = Path(sys.argv[0])
        if script.suffix != ".py":
            sys.exit("run the e2e tests through scripts/with-wine.sh (or as python3 test_x.py)")
        os.execvp("bash", ["bash", str(REPO / "scripts" / "with-wine.sh"),
                           sys.executable, str(script.resolve()), *sys.argv[1:]])
    unittest.main(verbosity=2)


# ----------------------------------------------------------------- waiting --

def wait_until(condition: Callable[[], T], timeout: float, what: str,
               interval: float = 0.05) -> T:
    """Calls condition() until it returns something truthy; returns that.

    Raises AssertionError naming `what` when `timeout` seconds pass first.
    """
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError(f"timed out after {timeout:g} s waiting for {what}")
        time.sleep(interval)


def stays_true(condition: Callable[[], object], duration: float, what: str,
               interval: float = 0.05) -> None:
    """Checks condition() again and again for `duration` seconds: for what
    must keep holding (a bar that must not move while a timer ticks), where
    there is no event to wait for. Raises AssertionError naming `what` at
    the first check that fails."""
    deadline = time.monotonic() + duration
    while True:
        if not condition():
            raise AssertionError(f"{what} stopped holding "
                                 f"{duration - (deadline - time.monotonic()):.2f} s into the check")
        if time.monotonic() >= deadline:
            return
        time.sleep(interval)


def stays_through_ticks(condition: Callable[[], object], timers: Callable[[], int], ticks: int, what: str,
                       timeout: float = 60.0, interval: float = 0.05) -> None:
    """Checks condition() again and again until the program's timers have
    ticked `ticks` more times (timers() is its own count): a timer that
    would break the condition has had its chance however slow the machine
    is, which no clock can promise. Raises AssertionError naming `what` at
    the first check that fails, or when the timers do not tick."""
    start = timers()
    deadline = time.monotonic() + timeout
    while True:
        if not condition():
            raise AssertionError(f"{what} stopped holding after {timers() - start} timer tick(s)")
        if timers() - start >= ticks:
            if not condition():
                raise AssertionError(f"{what} stopped holding after {timers() - start} timer tick(s)")
            return
        if time.monotonic() >= deadline:
            raise AssertionError(f"the timers ticked {timers() - start} of {ticks} times in {timeout:g} s "
                                 f"while checking {what}")
        time.sleep(interval)


def run(args: list, timeout: float = 60, env: Optional[dict] = None) -> subprocess.CompletedProcess:
    """Runs a command to its end, output captured in files rather than pipes:
    a Wine service process that inherits a pipe would keep it open long after
    the command itself has ended. `env` replaces the environment."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        args = [str(a) for a in args]
        process = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=out, stderr=err, env=env)
        try:
            code = process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            raise
        out.seek(0)
        err.seek(0)
        return subprocess.CompletedProcess(args, code, out.read(), err.read())


def wine_world_note() -> str:
    """Why Wine's processes may have ended at once, when that is the reason:
    the harness's wineserver is gone (with-wine.sh names its pid)."""
    pid = os.environ.get("LARKSPAN_WINESERVER_PID")
    if pid and not Path(f"/proc/{pid}").exists():
        return (f"; the harness's wineserver (pid {pid}) has ended: something outside the "
                f"harness stopped Wine")
    return ""


def text(data: bytes) -> str:
    return data.decode("utf-8", errors="replace").replace("\r\n", "\n")


# -------------------------------------------------------------------- wine --

_winepath_cache: dict = {}


def wine_path(path: Path) -> str:
    """The Windows path of a Linux path in the harness prefix (as winepath -w)."""
    key = str(Path(path).absolute())
    if key not in _winepath_cache:
        _winepath_cache[key] = shared_driver().ok("dos-path", "--unix", key).strip()
    return _winepath_cache[key]


def windows_join(folder: str, name: str) -> str:
    return folder.rstrip("\\") + "\\" + name


def same_windows_path(a: str, b: str) -> bool:
    """Windows paths compare without regard to letter case."""
    return ntpath.normcase(a) == ntpath.normcase(b)


# ------------------------------------------------------------------ driver --

@dataclass(frozen=True)
class Rect:
    left: int
    top: int
    right: int
    bottom: int

    @property
    def width(self) -> int:
        return self.right - self.left

    @property
    def height(self) -> int:
        return self.bottom - self.top


    @property
    def centre(self) -> tuple:
        return (self.left + self.right) // 2, (self.top + self.bottom) // 2

    @staticmethod
    def parse(field: str) -> "Rect":
        return Rect(*map(int, field.split()))


@dataclass(frozen=True)
class Tab:
    position: int     # from 1
    rect: Rect        # screen pixels
    caption: str


@dataclass(frozen=True)
class TabStrip:
    selected: int     # position from 1; 0 when none is selected
    tabs: tuple

    @property
    def captions(self) -> list:
        return [t.caption for t in self.tabs]


@dataclass(frozen=True)
class ToolbarInfo:
    hwnd: str
    control_id: int
    visible: bool     # the toolbar's own WS_VISIBLE, whatever its window's state
    rect: Rect
    buttons: tuple    # Rect of each button, screen pixels; None for one behind the chevron

    @property
    def button_count(self) -> int:
        return len(self.buttons)

    @property
    def hidden(self) -> list:
        """The buttons (numbered from 1) behind the chevron."""
        return [n for n, rect in enumerate(self.buttons, 1) if rect is None]

    @property
    def chevron(self) -> tuple:
        """A point on the chevron: the right end of the last row of buttons."""
        shown = [rect for rect in self.buttons if rect is not None]
        y = shown[-1].centre[1] if shown else self.rect.top + 12
        return self.rect.right - 5, y


def unescape(field: str) -> str:
    """Undoes the driver's escaping of tabs, line ends and backslashes."""
    return re.sub(r"\\(.)", lambda m: {"t": "\t", "n": "\n", "r": "\r"}.get(m.group(1), m.group(1)),
                  field)


class DriverError(AssertionError):
    pass


def _escape_field(field: str) -> str:
    return (field.replace("\\", "\\\\").replace("\t", "\\t")
            .replace("\n", "\\n").replace("\r", "\\r"))


class Driver:
    """larkspan-driver.exe under Wine. Exit 0 ok, 1 not found, 2 usage.

    Commands go to one `larkspan-driver serve` process, started on first use
    and kept for the test file: a look at a window then costs a message, not
    the start of a Windows process (a few hundred milliseconds each on a
    busy machine, and most of what the suite used to spend)."""

    def __init__(self, exe: Path):
        self.exe = Path(exe)
        self._process: Optional[subprocess.Popen] = None
        self._errors = None  # the serving process's own stderr (Wine's messages)
        self._pending = bytearray()

    def _start(self) -> subprocess.Popen:
        self._errors = tempfile.TemporaryFile()
        self._pending = bytearray()
        # Started after with-wine.sh has Wine's services running, so no
        # service inherits these pipes.
        self._process = subprocess.Popen(["wine", str(self.exe), "serve"], stdin=subprocess.PIPE,
                                         stdout=subprocess.PIPE, stderr=self._errors)
        return self._process

    def stop(self) -> None:
        """Ends the serving process (it ends at the end of its input)."""
        process, self._process = self._process, None
        if process is None:
            return
        try:
            process.stdin.close()
            process.wait(timeout=30)
        except (OSError, subprocess.TimeoutExpired):
            process.kill()
            process.wait()
        process.stdout.close()
        self._errors.close()

    def _died(self, process: subprocess.Popen, args) -> "DriverError":
        process.wait()
        self._errors.seek(0)
        wine_errors = text(self._errors.read()).strip()
        self._process = None
        return DriverError(f"the driver ended (exit {process.returncode}) during {' '.join(args)}"
                           + (f": {wine_errors}" if wine_errors else "") + wine_world_note())

    def _read(self, process: subprocess.Popen, count: int, deadline: float, args) -> bytes:
        """`count` bytes of the answer, or up to the line end when count is None."""
        fd = process.stdout.fileno()
        while True:
            if count is None:
                end = self._pending.find(b"\n")
                if end >= 0:
                    data = bytes(self._pending[:end + 1])
                    del self._pending[:end + 1]
                    return data
            elif len(self._pending) >= count:
                data = bytes(self._pending[:count])
                del self._pending[:count]
                return data
            remaining = deadline - time.monotonic()
            if remaining <= 0 or not select.select([fd], [], [], remaining)[0]:
                process.kill()
                process.wait()
                self._process = None
                raise DriverError(f"the driver did not answer {' '.join(args)} in time")
            chunk = os.read(fd, 65536)
            if not chunk:
                raise self._died(process, args)
            self._pending += chunk

    def call(self, *args, timeout: float = 60) -> subprocess.CompletedProcess:
        """Runs one driver command; its exit code, output and error bytes.
        `timeout` bounds the whole answer: a driver that hangs fails the test."""
        args = [str(a) for a in args]
        process = self._process if self._process and self._process.poll() is None else None
        if process is None:
            if self._process is not None:
                raise self._died(self._process, args)
            process = self._start()
        deadline = time.monotonic() + timeout
        try:
            process.stdin.write(("\t".join(map(_escape_field, args)) + "\n").encode("utf-8"))
            process.stdin.flush()
        except BrokenPipeError:
            raise self._died(process, args) from None
        head = self._read(process, None, deadline, args).split()
        if len(head) != 4 or head[0] != b"=":
            process.kill()
            process.wait()
            self._process = None
            raise DriverError(f"the driver answered {' '.join(args)} with {b' '.join(head)!r}")
        code, out_len, err_len = map(int, head[1:])
        out = self._read(process, out_len, deadline, args)
        err = self._read(process, err_len, deadline, args)
        if code == 2:
            raise DriverError(f"driver usage error: {args}: {text(err)}")
        return subprocess.CompletedProcess(["larkspan-driver", *args], code, out, err)

    def ok(self, *args, timeout: float = 60) -> str:
        """Runs a command that must succeed; returns its output."""
        done = self.call(*args, timeout=timeout)
        if done.returncode != 0:
            raise DriverError(f"driver {' '.join(map(str, args))} failed "
                              f"({done.returncode}): {text(done.stderr).strip()}")
        return text(done.stdout)

    @staticmethod
    def _select(title=None, hwnd=None, cls=None, exclude_class=None, timeout_ms=None,
                hidden=False) -> list:
        args = ["--hidden"] if hidden else []
        if hwnd is not None:
            args += ["--hwnd", hwnd]
        if title is not None:
            args += ["--title", title]
        if cls is not None:
            args += ["--class", cls]
        if exclude_class is not None:
            args += ["--exclude-class", exclude_class]
        if timeout_ms is not None:
            args += ["--timeout-ms", str(int(timeout_ms))]
        return args

    def find_window(self, timeout_ms: int = 0, **select) -> Optional[str]:
        """HWND (as "0x...") of the first matching visible window, or None."""
        done = self.call("wait-window", *self._select(timeout_ms=timeout_ms, **select),
                         timeout=timeout_ms / 1000 + 60)
        return text(done.stdout).split()[0] if done.returncode == 0 else None

    def window_exists(self, hwnd: str) -> bool:
        return self.call("window-info", "--hwnd", hwnd, "--timeout-ms", "0").returncode == 0

    def window_rect(self, hwnd: str, client: bool = False) -> Rect:
        out = self.ok("window-rect", "--hwnd", hwnd, *(["--client"] if client else []))
        return Rect(*map(int, out.split()[:4]))

    def window_text(self, hwnd: str) -> str:
        return self.ok("window-text", "--hwnd", hwnd).rstrip("\n")

    def is_toolwindow(self, hwnd: str) -> bool:
        done = self.call("is-toolwindow", "--hwnd", hwnd)
        return done.returncode == 0

    def msgbox_text(self, title: str, timeout_ms: int = 10000) -> Optional[str]:
        done = self.call("msgbox-text", "--title", title, "--timeout-ms", str(timeout_ms),
                         timeout=timeout_ms / 1000 + 60)
        return text(done.stdout).rstrip("\n") if done.returncode == 0 else None

    def press_ok(self, title: str) -> None:
        self.ok("press-ok", "--title", title)

    def close(self, hwnd: str) -> None:
        self.ok("close", "--hwnd", hwnd)

    def sync(self, hwnd: str) -> bool:
        return self.call("sync", "--hwnd", hwnd).returncode == 0

    def screen(self) -> dict:
        """{"width": 1024, "height": 768, "dpi_x": 96, "dpi_y": 96, "workarea": [..]}"""
        info = {}
        for line in self.ok("screen").splitlines():
            name, *values = line.split()
            numbers = [int(v) for v in values]
            info[name] = numbers[0] if len(numbers) == 1 else numbers
        return info

    def tabs(self, **select) -> TabStrip:
        """The tab strip of a bar window (cls=..., hidden=True for the docked one)."""
        # A reload empties the strip and fills it again: a read that falls
        # in between fails, and is read again.
        deadline = time.monotonic() + 10
        while True:
            done = self.call("tabs", *self._select(**select))
            if done.returncode == 0:
                break
            if time.monotonic() >= deadline:
                raise DriverError(f"driver tabs failed ({done.returncode}): {text(done.stderr).strip()}")
            time.sleep(0.05)
        selected, tabs = 0, []
        for line in text(done.stdout).splitlines():
            kind, *fields = line.split("\t")
            if kind == "selected":
                selected = int(fields[0])
            elif kind == "tab":
                position, rect, caption = fields[0], fields[1], "\t".join(fields[2:])
                tabs.append(Tab(int(position), Rect.parse(rect), unescape(caption)))
        return TabStrip(selected, tuple(tabs))

    def toolbars(self, **select) -> list:
        """The toolbars of a bar window, ordered by control id (their creation order)."""
        # A toolbar just shown hands its buttons to its control as it paints;
        # a read that falls in between fails, and one once it has painted
        # does not: read until one succeeds, for as long as a busy machine
        # may take to paint.
        deadline = time.monotonic() + 10
        while True:
            done = self.call("toolbars", *self._select(**select))
            if done.returncode == 0:
                output = text(done.stdout)
                break
            if time.monotonic() >= deadline:
                raise DriverError(f"driver toolbars failed ({done.returncode}): {text(done.stderr).strip()}")
            time.sleep(0.05)
        bars = []
        for line in output.splitlines():
            kind, *fields = line.split("\t")
            if kind == "toolbar":
                hwnd, control_id, visible, rect, _count = fields
                bars.append(dict(hwnd=hwnd, control_id=int(control_id), visible=visible == "1",
                                 rect=Rect.parse(rect), buttons=[]))
            elif kind == "button":
                bars[-1]["buttons"].append(None if fields[1] == "hidden" else Rect.parse(fields[1]))
        return sorted((ToolbarInfo(**{**b, "buttons": tuple(b["buttons"])}) for b in bars),
                      key=lambda b: b.control_id)

    def accessible(self, hwnd: str) -> tuple:
        """What assistive technology reads of a window: its (name, role,
        value) and its children's (name, role, Rect, default action)."""
        lines = self.ok("accessible", "--hwnd", hwnd).splitlines()
        _, name, role, value, _count = lines[0].split("\t")
        children = []
        for line in lines[1:]:
            _, _n, child, child_role, rect, action = line.split("\t")
            children.append((unescape(child), int(child_role), Rect.parse(rect), unescape(action)))
        return (unescape(name), int(role), unescape(value)), children

    def button_texts(self, **select) -> list:
        """Each toolbar's buttons' texts (TB_GETBUTTONTEXT), toolbars as
        `toolbars` orders them."""
        bars = []
        for line in self.ok("button-texts", *self._select(**select)).splitlines():
            kind, *fields = line.split("\t")
            if kind == "toolbar":
                bars.append((int(fields[1]), []))
            elif kind == "text":
                bars[-1][1].append(unescape(fields[1]))
        return [texts for _, texts in sorted(bars)]

    def button_images(self, **select) -> dict:
        """{toolbar control id: [picture index of each button]} of a bar
        window; a negative index is a button still waiting for its picture."""
        bars, current = {}, None
        for line in self.ok("button-images", *self._select(**select)).splitlines():
            kind, *fields = line.split("\t")
            if kind == "toolbar":
                current = bars.setdefault(int(fields[1]), [])
            elif kind == "image":
                current.append(int(fields[1]))
        return bars

    def tooltips(self, timeout_ms: int = 0) -> list:
        """Texts of the visible tooltips; waits up to timeout_ms for one."""
        done = self.call("tooltip", "--timeout-ms", str(int(timeout_ms)),
                         timeout=timeout_ms / 1000 + 60)
        if done.returncode != 0:
            return []
        return [unescape(line.split("\t", 1)[1]) for line in text(done.stdout).splitlines()
                if "\t" in line]

    def rect(self, **select) -> Optional[Rect]:
        """The window rectangle of the first matching window, or None; with
        hidden=True also of a hidden one (the docked bar while floating)."""
        done = self.call("window-rect", *self._select(timeout_ms=0, **select))
        return Rect(*map(int, text(done.stdout).split()[:4])) if done.returncode == 0 else None

    def wait_rect(self, rect: Rect, timeout_ms: int, tolerance: int = 0, **select) -> Optional[int]:
        """Waits in the driver until the window's rectangle is `rect` (each
        edge within `tolerance` px). Returns the milliseconds the driver
        waited, or None on timeout."""
        done = self.call("wait-rect", *self._select(timeout_ms=timeout_ms, **select),
                         "--rect", f"{rect.left} {rect.top} {rect.right} {rect.bottom}",
                         "--tolerance", str(tolerance), timeout=timeout_ms / 1000 + 60)
        if done.returncode != 0:
            return None
        for line in text(done.stdout).splitlines():
            if line.startswith("elapsed\t"):
                return int(line.split("\t")[1])
        raise DriverError(f"wait-rect printed no time: {text(done.stdout)!r}")

    def focus(self) -> dict:
        """{"foreground": hwnd, "focus": hwnd, "focus_class": class,
        "hot": N, "keys": "Ctrl Alt ...", "modes": "flags capture menu-owner"}
        where the keyboard goes; hot (from 1, 0 for none) only when the
        focus is a toolbar; keys the modifiers the system holds down; modes
        the foreground thread's GUITHREADINFO flags, capture and menu owner,
        and "disabled" when the foreground window is."""
        info = {}
        for line in self.ok("focus").splitlines():
            kind, *fields = line.split("\t")
            if kind == "foreground":
                info["foreground"] = fields[0]
            elif kind == "focus":
                info["focus"], info["focus_class"] = fields[0], unescape(fields[1])
            elif kind == "hot":
                info["hot"] = int(fields[0])
            elif kind == "keys":
                info["keys"] = fields[0]
            elif kind == "modes":
                info["modes"] = " ".join(fields)
        return info

    def measures(self, objects: bool = False, user_objects: bool = False, **select) -> dict:
        """What the program counts of itself: "messages" and "timers" its
        loops took, "ticks" of the docked bar's hide timer from any loop,
        "pending" pictures still on their way, "wakeups" by the catalogue's
        folder, "catalogue-checks" and the "catalogue-reloads" they made;
        with objects=True also its "gdi" objects and "heap-kb", with
        user_objects=True its "user" objects (a probe of every handle under
        Wine).
        Any of its bar windows answers."""
        out = self.ok("message-counts", *self._select(**select), *(["--objects"] if objects else []),
                      *(["--user-objects"] if user_objects else []))
        return {name: int(value) for name, value in (line.split("\t") for line in out.splitlines())}

    def wait_pressed(self, timeout_ms: int = 10000, **select) -> None:
        """Returns once a mouse press has reached the window's thread and
        been handled: its thread has the mouse captured (a drag's move loop,
        the tab strip's own capture) and is back taking messages."""
        self.ok("wait-capture", *self._select(timeout_ms=timeout_ms, **select),
                timeout=timeout_ms / 1000 + 60)
        self.ok("sync", *self._select(**select))

    def counts(self, **select) -> dict:
        """measures() without the objects."""
        return self.measures(**select)

    def hide_ticks(self, **select) -> int:
        """How often the docked bar's hide timer has run, from any loop."""
        return self.counts(**select)["ticks"]

    def close_window(self, **select) -> None:
        """Posts WM_CLOSE to a window chosen by title, class or handle, hidden
        ones included when hidden=True."""
        self.ok("close", *self._select(**select))

    def list_windows(self, visible_only: bool = False) -> list:
        out = self.ok("list-windows", *(["--visible"] if visible_only else []))
        rows = []
        for line in out.splitlines():
            if not line or line.startswith("#"):
                continue
            hwnd, pid, visible, exstyle, style, cls, rect, title = line.split("\t", 7)
            rows.append({"hwnd": hwnd, "pid": int(pid), "visible": visible == "1",
                         "exstyle": int(exstyle, 16), "style": int(style, 16), "class": cls,
                         "rect": Rect(*map(int, rect.split())), "title": title})
        return rows


_shared_driver: Optional[Driver] = None


def shared_driver() -> Driver:
    """The test file's one driver (paths, registry and windows alike)."""
    global _shared_driver
    if _shared_driver is None:
        _shared_driver = Driver(Config.from_env().driver)
        atexit.register(_shared_driver.stop)
    return _shared_driver


# ------------------------------------------------------------------- mouse --

class Mouse:
    """The real pointer on the harness's display: Wine sees X input events."""

    @staticmethod
    def _xdotool(*args) -> None:
        done = run(["xdotool", *args], timeout=30)
        if done.returncode != 0:
            raise RuntimeError(f"xdotool {' '.join(map(str, args))} failed: {text(done.stderr)}")

    @staticmethod
    def move(x: int, y: int) -> None:
        Mouse._xdotool("mousemove", "--sync", x, y)

    @staticmethod
    def click(x: int, y: int, button: int = 1) -> None:
        Mouse.move(x, y)
        Mouse._xdotool("click", button)

    @staticmethod
    def drag(start: tuple, end: tuple, steps: int = 12, button: int = 1,
             pressed: Optional[Callable[[], None]] = None) -> None:
        """Presses at start, moves to end in `steps` even steps, releases
        there, as a hand would: Wine's move loop and the program's own drag
        code see every intermediate position. `pressed` returns once the
        program has taken the press: a busy program that read the pointer
        only after the moves would take the drag for a click."""
        (x0, y0), (x1, y1) = start, end
        Mouse.move(x0, y0)
        Mouse._xdotool("mousedown", button)
        try:
            if pressed:
                pressed()
            for i in range(1, steps + 1):
                Mouse.move(x0 + (x1 - x0) * i // steps, y0 + (y1 - y0) * i // steps)
        finally:
            Mouse._xdotool("mouseup", button)


class Keyboard:
    """Real key presses on the harness's display, to whatever window has the
    keyboard focus."""

    @staticmethod
    def press(*keys: str) -> None:
        """Each argument one xdotool key name or chord, e.g. "ctrl+Tab"."""
        Mouse._xdotool("key", *keys)

    @staticmethod
    def hold(chord: str, until: Callable[[], None]) -> None:
        """Presses the chord's modifiers, taps its key, calls `until`, then
        releases the modifiers."""
        *modifiers, key = chord.split("+")
        for modifier in modifiers:
            Mouse._xdotool("keydown", modifier)
        try:
            Mouse._xdotool("key", key)
            until()
        finally:
            for modifier in reversed(modifiers):
                Mouse._xdotool("keyup", modifier)


# ---------------------------------------------------------------- registry --

@dataclass(frozen=True)
class RegValue:
    type: str
    data: str


class Registry:
    """The harness prefix's registry, read and written by the driver in the
    same wineserver as the program."""

    @staticmethod
    def query(key: str) -> Optional[dict]:
        """{name: RegValue} of the key's own values, or None if the key is missing."""
        done = shared_driver().call("reg-query", "--key", key)
        if done.returncode != 0:
            return None
        values = {}
        for line in text(done.stdout).splitlines():
            kind, name, type_name, data = line.split("\t")
            if kind == "value":
                values[unescape(name)] = RegValue(type_name, unescape(data))
        return values

    @staticmethod
    def add(key: str, name: str, data: str, kind: str = "REG_SZ") -> None:
        shared_driver().ok("reg-set", "--key", key, "--name", name, "--data", data, "--type", kind)

    @staticmethod
    def delete_key(key: str) -> None:
        """Deletes the key and all below it; a missing key is fine. Raises
        with the system's answer when the key stays."""
        shared_driver().ok("reg-delete", "--key", key)
        if Registry.query(key) is not None:
            raise RuntimeError(f"{key} is back right after its deletion: a process still writes "
                               f"it, or a new wineserver read it from disk{wine_world_note()}")

    @staticmethod
    def settings() -> Optional[dict]:
        return Registry.query(SETTINGS_KEY)

    @staticmethod
    def set_settings(**values: str) -> None:
        for name, data in values.items():
            Registry.add(SETTINGS_KEY, name, data)


# ----------------------------------------------------------------- program --

class Program:
    """One larkspan.exe started in the background with `wine`."""

    def __init__(self, exe: Path, cwd: Path, log: Path, arguments: Sequence[str] = (),
                 env: Optional[dict] = None):
        self.exe = exe
        self.log_path = log
        log.parent.mkdir(parents=True, exist_ok=True)
        self._log = open(log, "ab")
        # Started by its Windows path, as Explorer would; the working folder is
        # deliberately not the exe folder, so "beside the program" must come
        # from the module path, not the current directory.
        self.process = subprocess.Popen(["wine", wine_path(exe), *arguments], cwd=cwd,
                                        stdin=subprocess.DEVNULL, stdout=self._log,
                                        stderr=subprocess.STDOUT,
                                        env={**os.environ, **env} if env else None)

    @property
    def running(self) -> bool:
        return self.process.poll() is None

    @property
    def returncode(self) -> Optional[int]:
        return self.process.poll()

    def wait_exit(self, timeout: float) -> int:
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"{self.exe.name} still running after {timeout:g} s") from None

    def kill(self) -> None:
        if self.running:
            self.process.kill()
            self.process.wait(timeout=30)

    def close_log(self) -> None:
        self._log.close()

    def log_text(self) -> str:
        try:
            return self.log_path.read_text(errors="replace")
        except OSError:
            return ""


# ------------------------------------------------------------------- probe --

PROBE_NAME = "probe.exe"
PROBE_LOG = "probe-log.txt"


@dataclass(frozen=True)
class Probe:
    """One copy of larkspan-probe.exe in a folder of its own, so that its
    probe-log.txt holds only the runs of this copy."""
    exe: Path
    exe_win: str

    @property
    def log(self) -> Path:
        return self.exe.parent / PROBE_LOG

    def running(self) -> bool:
        """A process of this copy is alive: Wine shows each process's
        Windows path as its command line, and this copy's folder is the
        test's own."""
        name = self.exe_win.lower()
        for cmdline in Path("/proc").glob("[0-9]*/cmdline"):
            try:
                if name in cmdline.read_bytes().decode("utf-8", "replace").lower():
                    return True
            except OSError:
                continue
        return False

    def runs(self) -> list:
        try:
            return self.log.read_bytes().split(b"\r\n")[:-1]
        except FileNotFoundError:
            return []

    def wait_runs_then_none(self, count: int, timeout: float) -> list:
        """Waits for `count` runs and then for every process of this copy to
        have ended, so a run started earlier by mistake has written its line
        too; returns every line."""
        self.wait_runs(count, timeout)
        wait_until(lambda: not self.running(), timeout, f"the runs of {self.exe_win} to end")
        return self.runs()

    def wait_runs(self, count: int, timeout: float) -> list:
        """Waits until the log holds `count` complete lines; returns each
        line's bytes without its CR LF."""
        def complete():
            try:
                data = self.log.read_bytes()
            except FileNotFoundError:
                return None
            lines = data.split(b"\r\n")
            return lines[:-1] if len(lines) > count and lines[-1] == b"" else None
        return wait_until(complete, timeout, f"{count} run(s) logged in {self.log}")


def bytes_now(path: Path) -> bytes:
    """A file the bar saves, as it is now: b"" in the moment a save replaces
    it (the old file is renamed to the backup before the new one takes its
    name), for conditions waited on while the bar runs."""
    try:
        return path.read_bytes()
    except FileNotFoundError:
        return b""


# --------------------------------------------------------------- test case --

class LarkspanTestCase(unittest.TestCase):
    """Base class: one fresh install folder and clean settings per test."""

    config: Config
    driver: Driver
    screen: dict

    START_TIMEOUT = 30.0   # seconds for the bar window to appear
    EXIT_TIMEOUT = 20.0    # seconds for the program to end after a close

    @classmethod
    def setUpClass(cls) -> None:
        if not in_harness():
            raise unittest.SkipTest("not inside scripts/with-wine.sh")
        cls.config = Config.from_env()
        for path in (cls.config.exe, cls.config.driver):
            if not path.is_file():
                raise AssertionError(f"{path} is missing: build the windows preset first")
        cls.driver = shared_driver()
        cls.screen = cls.driver.screen()

    def setUp(self) -> None:
        self.name = f"{type(self).__name__}.{self._testMethodName}"
        self.programs: list = []
        # Nothing of an earlier test may still be on screen.
        leftover = self.driver.find_window(title=TITLE)
        self.assertIsNone(leftover, f"a window titled {TITLE!r} is still open before {self.name}")
        self.install_dir = self.config.work / self.name
        if self.install_dir.exists():
            shutil.rmtree(self.install_dir)
        self.install_dir.mkdir(parents=True)
        self.exe = self.install_dir / "larkspan.exe"
        shutil.copy2(self.config.exe, self.exe)
        self.install_dir_win = wine_path(self.install_dir)
        self.catalogue = self.install_dir / CATALOGUE_NAME
        self.catalogue_win = windows_join(self.install_dir_win, CATALOGUE_NAME)
        Registry.delete_key(APP_KEY)
        self._failures_before = self._problem_count()

    def tearDown(self) -> None:
        failed = self._problem_count() > self._failures_before
        if failed:
            self._record_failure_state()
        killed = [p for p in self.programs if p.running]
        for program in killed:
            program.kill()  # only what this test started; normally already gone
        for program in self.programs:
            program.close_log()
        if killed:
            # Killed windows vanish once wineserver has cleaned up after them.
            wait_until(lambda: self.driver.find_window(title=TITLE) is None, 15,
                       "the killed program's windows to go")
        # The prefix is shared with scripts/run.sh: leave no test's settings behind.
        Registry.delete_key(APP_KEY)

    # -- helpers for tests --

    @property
    def twips_per_pixel(self) -> tuple:
        """(x, y) twips per pixel at the DPI Wine reports, as whole numbers."""
        return 1440 // self.screen["dpi_x"], 1440 // self.screen["dpi_y"]

    def start_program(self, *arguments: str, env: Optional[dict] = None) -> Program:
        """Starts the exe; `env` adds to the environment (LANG sets Wine's
        display language for that process)."""
        log = self.config.work / "logs" / f"{self.name}.{len(self.programs)}.log"
        if not self.programs and log.exists():
            log.unlink()
        program = Program(self.exe, cwd=self.config.work, log=log, arguments=arguments, env=env)
        self.programs.append(program)
        return program

    def wait_bar_window(self, program: Program, timeout: Optional[float] = None) -> str:
        """Waits for the visible bar window (not a message box); returns its HWND.

        Fails at once when the program ends first.
        """
        timeout = timeout or self.START_TIMEOUT

        def found():
            hwnd = self.driver.find_window(title=TITLE, exclude_class=DIALOG_CLASS,
                                           timeout_ms=1000)
            if hwnd is None and not program.running:
                raise AssertionError(f"{program.exe.name} ended with code {program.returncode} "
                                     f"before its window appeared{wine_world_note()}; "
                                     f"log:\n{program.log_text()}")
            return hwnd

        try:
            hwnd = wait_until(found, timeout, f"the window {TITLE!r}", interval=0)
        except AssertionError as e:
            raise AssertionError(f"{e}\n{self.describe_screen()}") from None
        self.driver.sync(hwnd)  # its thread is back in the message loop
        return hwnd

    def write_catalogue(self, *lines: str) -> bytes:
        """Writes the catalogue beside the exe: the lines in the ANSI code page
        (cp1252 here), each ended by CR LF. Returns the bytes written."""
        data = b"".join(line.encode("cp1252") + b"\r\n" for line in lines)
        self.catalogue.write_bytes(data)
        return data

    def close_bar(self, program: Program, hwnd: str) -> int:
        """Closes the bar window as the system would and waits for the exit."""
        self.driver.close(hwnd)
        return program.wait_exit(self.EXIT_TIMEOUT)

    def install_probe(self, folder: str) -> Probe:
        """Copies the probe into <install folder>/<folder>/probe.exe."""
        if not self.config.probe.is_file():
            raise AssertionError(f"{self.config.probe} is missing: build the windows preset first")
        target = self.install_dir / folder / PROBE_NAME
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(self.config.probe, target)
        return Probe(target, wine_path(target))

    def many_programs(self, count: int, last: Probe, last_name: str) -> list:
        """Catalogue entries of `count` programs: P01, P02, ... all one copy
        of the probe (their runs are not told apart), the last one `last`
        under `last_name`."""
        filler = self.install_probe("many")
        return [f"P{n:02}={filler.exe_win}" for n in range(1, count)] + [f"{last_name}={last.exe_win}"]

    def open_chevron_menu(self, toolbar: ToolbarInfo, timeout: float = 10.0) -> tuple:
        """Clicks the toolbar's chevron and waits for its menu; returns the
        menu's (hwnd, Rect). The pointer then leaves the menu, so that the
        keyboard starts from no selection."""
        Mouse.click(*toolbar.chevron)
        hwnd = self.driver.find_window(cls=POPUP_MENU_CLASS, timeout_ms=int(timeout * 1000))
        if hwnd is None:
            raise AssertionError(f"no menu after a click on the chevron at {toolbar.chevron}\n"
                                 f"{self.describe_screen()}")
        self.driver.sync(hwnd)
        rect = self.driver.window_rect(hwnd)
        Mouse.move(rect.left - 8 if rect.left >= 8 else rect.right + 8, rect.top)
        return hwnd, rect

    def wait_docked_window(self, program: Program, timeout: Optional[float] = None) -> str:
        """Waits for the visible docked bar; returns its HWND. Fails at once
        when the program ends first."""
        def found():
            hwnd = self.driver.find_window(cls=DOCK_CLASS, timeout_ms=1000)
            if hwnd is None and not program.running:
                raise AssertionError(f"{program.exe.name} ended with code {program.returncode}; "
                                     f"log:\n{program.log_text()}")
            return hwnd
        try:
            hwnd = wait_until(found, timeout or self.START_TIMEOUT, "the docked bar", interval=0)
        except AssertionError as e:
            raise AssertionError(f"{e}\n{self.describe_screen()}") from None
        self.driver.sync(hwnd)
        return hwnd

    def button_images(self, cls: str) -> dict:
        """{control id: [picture index of each button]} of a bar window's
        toolbars, shown or not (each paints first: a toolbar that is not on
        screen hands its buttons to its control then)."""
        self.driver.ok("paint-children", "--class", cls, "--hidden", "--child-class", "ToolbarWindow32")
        return self.driver.button_images(cls=cls, hidden=True)

    def shown_pictures(self, cls: str) -> list:
        """The picture indices of the buttons of the section a bar window shows."""
        shown = [t for t in self.driver.toolbars(cls=cls, hidden=True) if t.visible]
        if len(shown) != 1:
            raise AssertionError(f"toolbars shown in {cls}: {shown}")
        return self.button_images(cls)[shown[0].control_id]

    def assert_docked_like_floating(self, timeout: float = 20.0) -> None:
        """The docked bar, just docked from a floating start, shows what the
        floating window did: the same sections, and in the section it shows
        the same buttons with the same pictures once every one has come."""
        self.assertEqual(self.driver.tabs(cls=DOCK_CLASS).captions,
                         self.driver.tabs(cls=FLOAT_CLASS, hidden=True).captions, "the docked bar's sections")
        shown = [t for t in self.driver.toolbars(cls=DOCK_CLASS) if t.visible]
        self.assertEqual(len(shown), 1, f"toolbars shown: {shown}")
        section = shown[0].control_id

        def pictures(cls):
            return self.button_images(cls)[section]
        wait_until(lambda: pictures(DOCK_CLASS) and min(pictures(DOCK_CLASS)) >= 0, timeout,
                   "every picture of the docked bar's section")
        self.assertEqual(pictures(DOCK_CLASS), pictures(FLOAT_CLASS), "the pictures of the section shown")

    def drag_caption(self, hwnd: str, left: int, top: int) -> Rect:
        """Drags the floating window by its title bar so that its top-left
        corner lands on (left, top); returns the rect it had before."""
        before = self.driver.window_rect(hwnd)
        client = self.driver.window_rect(hwnd, client=True)
        # The middle of the title bar: below the frame, above the client area.
        grab = ((before.left + before.right) // 2, (before.top + client.top) // 2 + 1)
        Mouse.drag(grab, (grab[0] + left - before.left, grab[1] + top - before.top),
                   pressed=lambda: self.driver.wait_pressed(hwnd=hwnd))
        return before

    def screenshot(self, name: str) -> Path:
        """Saves the whole Xvfb screen as build/windows/e2e/screenshots/<name>.png."""
        path = self.config.work / "screenshots" / f"{name}.png"
        path.parent.mkdir(parents=True, exist_ok=True)
        done = run(["import", "-window", "root", path], timeout=60)
        if done.returncode != 0:
            raise RuntimeError(f"import failed: {text(done.stderr)}")
        return path

    def wait_window(self, what: str, timeout: float = 10.0, **select) -> str:
        """The window that `select` finds within `timeout`, its thread back
        in its message loop; fails naming `what` and the screen."""
        hwnd = self.driver.find_window(timeout_ms=int(timeout * 1000), **select)
        self.assertIsNotNone(hwnd, f"no {what}\n{self.describe_screen()}")
        self.driver.sync(hwnd)
        return hwnd

    def wait_gone(self, hwnd: str, what: str = "the window", timeout: float = 10.0) -> None:
        done = self.driver.call("wait-gone", "--hwnd", hwnd, "--timeout-ms", str(int(timeout * 1000)))
        self.assertEqual(done.returncode, 0, f"{what} {hwnd} is still open\n{self.describe_screen()}")

    def describe_screen(self) -> str:
        try:
            rows = self.driver.list_windows(visible_only=True)
        except Exception as e:  # diagnostics only
            return f"(list-windows failed: {e})"
        lines = [f"  {r['hwnd']} pid={r['pid']} class={r['class']} rect={r['rect']} "
                 f"exstyle=0x{r['exstyle']:08X} title={r['title']!r}" for r in rows]
        return "visible top-level windows:\n" + "\n".join(lines)

    # -- internals --

    def _problem_count(self) -> int:
        outcome = getattr(self, "_outcome", None)
        count = 0
        # Python <= 3.10 keeps the test's errors on the outcome until the end.
        for _, exc_info in getattr(outcome, "errors", None) or []:
            count += exc_info is not None
        result = getattr(outcome, "result", None)
        if result is not None:
            count += len(result.failures) + len(result.errors)
        return count

    def _record_failure_state(self) -> None:
        try:
            shot = self.screenshot(f"{self.name}-failure")
            print(f"\n[e2e] failure screenshot: {shot}", file=sys.stderr)
            print(self.describe_screen(), file=sys.stderr)
            for program in self.programs:
                log = program.log_text().strip()
                if log:
                    print(f"[e2e] {program.log_path}:\n{log}", file=sys.stderr)
        except Exception as e:  # diagnostics must not hide the real failure
            print(f"[e2e] could not record failure state: {e}", file=sys.stderr)


# ------------------------------------------------ dialogs, typing, menus --

POPUP_MENU_CLASS = "#32768"


@dataclass(frozen=True)
class ChildWindow:
    hwnd: str
    control_id: int
    visible: bool
    cls: str
    rect: Rect
    text: str

    @property
    def caption(self) -> str:
        """The text without its mnemonic marks ("&Open" reads "Open")."""
        return self.text.replace("&", "")


def child_windows(driver: Driver, hwnd: str) -> list:
    """The child windows of a window, in the order the system lists them."""
    children = []
    for line in driver.ok("list-children", "--hwnd", hwnd).splitlines():
        if not line or line.startswith("#"):
            continue
        child, control_id, visible, cls, rect, caption = line.split("\t", 5)
        children.append(ChildWindow(child, int(control_id), visible == "1", unescape(cls),
                                    Rect.parse(rect), unescape(caption)))
    return children


def type_text(text: str, delay_ms: int = 20) -> None:
    """Types text on the keyboard, a key press per character."""
    Mouse._xdotool("type", "--delay", delay_ms, "--", text)


def wait_edit_focus(driver: Driver, window: str, timeout: float = 10.0) -> str:
    """Waits until `window` is in the foreground with an Edit control holding
    the keyboard focus; returns that control's handle."""
    def ready():
        where = driver.focus()
        if where.get("foreground") == window and where.get("focus_class", "").lower() == "edit":
            return where["focus"]
        return None
    return wait_until(ready, timeout, f"an edit control of {window} to have the keyboard")


def enter_text(driver: Driver, window: str, text: str, timeout: float = 10.0) -> None:
    """Types text into the focused edit control of `window` and presses
    Enter once the control shows exactly that text.

    Characters no key produces (Chinese, emoji) arrive as an input method
    hands them over, WM_CHAR messages: xdotool would map a spare key to each
    for one press, and Wine, reading its keyboard map when it gets to the
    press, mostly finds that mapping gone and types nothing. Key presses
    queue up while messages go straight in, so each part of the text is
    waited for before the next."""
    edit = wait_edit_focus(driver, window, timeout)

    def shows(expected: str) -> bool:
        try:
            return driver.window_text(edit) == expected
        except DriverError:
            return False  # a read that failed has seen nothing yet

    typed = ""
    for part in re.findall(r"[ -~]+|[^ -~]+", text):
        if " " <= part[0] <= "~":
            type_text(part)
        else:
            driver.ok("send-chars", "--hwnd", edit, "--text", part)
        typed += part
        try:
            wait_until(lambda: shows(typed), timeout, f"{typed!r} in the edit control")
        except AssertionError as e:
            raise AssertionError(f"{e}; it holds {driver.window_text(edit)!r}") from None
    Keyboard.press("Return")


def click_dialog_button(driver: Driver, dialog: str, caption: str) -> None:
    """Clicks the middle of the dialog's button labelled `caption`."""
    buttons = [c for c in child_windows(driver, dialog)
               if c.cls.lower() == "button" and c.visible and c.caption == caption]
    if not buttons:
        raise AssertionError(f"no button {caption!r} in {dialog}: {child_windows(driver, dialog)}")
    Mouse.click(*buttons[0].rect.centre)


def open_popup_menu(driver: Driver, x: int, y: int, timeout: float = 10.0) -> tuple:
    """Right-clicks at (x, y) and waits for the popup menu; returns its
    (hwnd, Rect). The pointer then leaves the menu, so that no item is under
    it and keyboard navigation starts from no selection."""
    Mouse.click(x, y, button=3)
    hwnd = driver.find_window(cls=POPUP_MENU_CLASS, timeout_ms=int(timeout * 1000))
    if hwnd is None:
        raise AssertionError(f"no popup menu after a right-click at {x},{y}")
    rect = driver.window_rect(hwnd)
    Mouse.move(rect.left - 8 if rect.left >= 8 else rect.right + 8, rect.top)
    return hwnd, rect


# ------------------------------------------ shell folders, dialog buttons --

CSIDL_DESKTOPDIRECTORY = 16
CSIDL_COMMON_DESKTOPDIRECTORY = 25
CSIDL_SENDTO = 9


def linux_path(windows_path: str) -> Path:
    """The Linux path of a Windows path in the harness prefix (as winepath -u)."""
    return Path(shared_driver().ok("unix-path", "--path", windows_path).rstrip("\n"))


def special_folder(driver: Driver, csidl: int) -> tuple:
    """(Windows path, Linux path) of a shell special folder of the prefix."""
    folder = driver.ok("folder-path", "--csidl", csidl).strip()
    return folder, linux_path(folder)


def make_shortcut(driver: Driver, path: str, target: str, args: Optional[str] = None) -> None:
    """Saves a shortcut (.lnk, Windows path) to target through the shell.

    Wine's shell hands each saved shortcut to winemenubuilder, which in the
    background puts a .desktop file for one on the desktop (the harness's
    HOME) and icons under HOME; the driver runs without it."""
    overrides = ";".join(filter(None, [os.environ.get("WINEDLLOVERRIDES"), "winemenubuilder.exe=d"]))
    done = run(["wine", driver.exe, "make-shortcut", "--path", path, "--target", target,
                *(["--args", args] if args else [])],
               env={**os.environ, "WINEDLLOVERRIDES": overrides})
    if done.returncode != 0:
        raise DriverError(f"make-shortcut {path} failed ({done.returncode}): {text(done.stderr).strip()}")


def read_shortcut(driver: Driver, path: str) -> Optional[tuple]:
    """(target, arguments) of a shortcut file (Windows path), None when there
    is no readable one."""
    done = driver.call("read-shortcut", "--path", path)
    if done.returncode != 0:
        return None
    fields = dict(line.split("\t", 1) for line in text(done.stdout).splitlines())
    return fields["target"], fields["arguments"]


@dataclass(frozen=True)
class ButtonState:
    checked: bool
    visible: bool
    enabled: bool


def button_state(driver: Driver, window: str, caption: str) -> ButtonState:
    """Check mark, visibility and enabled state of the window's button
    labelled `caption` (its "&" marks left out)."""
    fields = dict(line.split("\t") for line in
                  driver.ok("button-state", "--hwnd", window, "--text", caption).splitlines())
    return ButtonState(fields["checked"] == "1", fields["visible"] == "1", fields["enabled"] == "1")


def click_button(driver: Driver, window: str, caption: str) -> None:
    """BM_CLICK on the window's button labelled `caption`: it presses and
    releases itself as under the mouse; returns once the click is handled."""
    driver.ok("click-button", "--hwnd", window, "--text", caption)


# ------------------------------------------- typing beyond the key map --

def enter_unicode_text(driver: Driver, window: str, text: str, timeout: float = 10.0) -> None:
    """enter_text for text beyond ASCII: pasted (Ctrl+V) over the control's
    text from the clipboard. xdotool types such a character by binding it
    to a spare key for the moment, and Wine reads that key before or after
    the binding often enough to drop characters."""
    edit = wait_edit_focus(driver, window, timeout)
    driver.ok("set-clipboard", "--text", text)
    Keyboard.press("End", "shift+Home", "ctrl+v")
    try:
        wait_until(lambda: driver.window_text(edit) == text, timeout, f"{text!r} in the edit control")
    except AssertionError as e:
        raise AssertionError(f"{e}; it holds {driver.window_text(edit)!r}") from None
    Keyboard.press("Return")
