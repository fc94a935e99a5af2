#!/usr/bin/env python3
"""End-to-end tests of the bar at 150 %: the prefix's LogPixels set to 144
for the test alone (Wine reads it when a program starts), the floating bar,
its menu and the Options dialog, then the docked bar.

Sizes are read from the windows themselves: the floating window's height
(1100 twips), the toolbar's button size, the menu's and the dialog's
rectangles against the same bar at 96 DPI, and each picture's edge length
from a solid square icon in settings.ini's cache, counted in a screenshot.
Wine offers one monitor, so the several-monitor rules are proven natively.

Run under scripts/with-wine.sh, or directly:
python3 tests/e2e/test_dpi.py [-v] [DpiTests.test_name].
"""

import struct
import sys
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))

import harness  # noqa: E402
from harness import (ABOUT_TITLE, DIALOG_CLASS, DOCK_CLASS, FLOAT_CLASS, Keyboard,  # noqa: E402
                     LarkspanTestCase, Rect, Registry, child_windows, open_popup_menu, run, text, wait_until)
from test_pictures import ppm_pixels  # noqa: E402

DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
LOAD_TIMEOUT = 20.0
UI_TIMEOUT = 10.0
OPTIONS_TITLE = "Options"
# Down presses from no selection to "Options" in the menu (separators skipped).
OPTIONS_STEPS = 11

SQUARE = (0, 150, 255)  # a colour no other picture or control uses
SQUARE_SIZES = (16, 20, 24, 32, 40, 48, 64)


def square_icon(colour: tuple, sizes: tuple) -> bytes:
    """An .ico of opaque squares of one colour, a 32-bit frame per size."""
    frames = []
    for size in sizes:
        header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
        pixels = bytes((colour[2], colour[1], colour[0], 255)) * (size * size)
        mask = bytes(((size + 31) // 32) * 4 * size)  # all zero: every pixel shows
        frames.append(header + pixels + mask)
    data = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, frame in zip(sizes, frames):
        data += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(frame), offset)
        offset += len(frame)
    return data + b"".join(frames)


def square_pixels(screenshot: Path, rect: Rect) -> int:
    """How many pixels of the rectangle have the square's colour."""
    done = run(["convert", screenshot, "-crop", f"{rect.width}x{rect.height}+{rect.left}+{rect.top}",
                "+repage", "ppm:-"], timeout=60)
    if done.returncode != 0:
        raise RuntimeError(f"convert failed: {text(done.stderr)}")
    _, _, pixels = ppm_pixels(done.stdout)
    return sum(1 for p in pixels if all(abs(a - b) <= 2 for a, b in zip(p, SQUARE)))


class DpiTests(LarkspanTestCase):

    def setUp(self):
        super().setUp()
        probe = self.install_probe("probe")
        (self.install_dir / "square.ico").write_bytes(square_icon(SQUARE, SQUARE_SIZES))
        (self.install_dir / "settings.ini").write_bytes(b"[Files]\r\nSQR=square.ico\r\n")
        self.write_catalogue(
            "[Tools]",
            "Square=" + self.install_dir_win + r"\plan.sqr",
            "Probe=" + probe.exe_win,
            "[Web]",
            "Home=http://example.invalid/",
        )

    # -- helpers --

    def use_dpi(self, dpi: int) -> None:
        """Sets the prefix's LogPixels for the programs started from now on;
        the value before comes back when the test ends."""
        if not hasattr(self, "_dpi_before"):
            self._dpi_before = (Registry.query(DESKTOP_KEY) or {}).get("LogPixels")
            self.addCleanup(self._restore_dpi)
        Registry.add(DESKTOP_KEY, "LogPixels", str(dpi), kind="REG_DWORD")

    def _restore_dpi(self) -> None:
        old = self._dpi_before
        if old is None:
            run(["wine", "reg", "delete", DESKTOP_KEY, "/v", "LogPixels", "/f"])
        else:
            Registry.add(DESKTOP_KEY, "LogPixels", str(int(old.data, 0)), kind="REG_DWORD")

    def start(self, wait_window):
        program = self.start_program()
        hwnd = wait_window(program)
        wait_until(lambda: self.driver.find_window(title=ABOUT_TITLE) is None, LOAD_TIMEOUT,
                   "the About box to close after the load")
        return program, hwnd

    def shown_toolbar(self, cls):
        shown = [t for t in self.driver.toolbars(cls=cls) if t.visible]
        self.assertEqual(len(shown), 1, f"toolbars shown: {shown}")
        return shown[0]

    def button_size(self, cls, control_id) -> tuple:
        for line in self.driver.ok("button-images", "--class", cls).splitlines():
            kind, *fields = line.split("\t")
            if kind == "toolbar" and int(fields[1]) == control_id:
                return tuple(map(int, fields[3].split()))
        self.fail(f"no toolbar {control_id} in button-images")

    def check_square(self, shot: Path, toolbar, picture: int) -> None:
        """The first button draws the square at exactly picture x picture."""
        count = square_pixels(shot, toolbar.buttons[0])
        self.assertEqual(count, picture * picture,
                         f"the square picture covers {count} pixels, not {picture} x {picture}")

    def menu_and_options(self, strip_spot) -> tuple:
        """Opens the menu on the tab strip (rect and screenshot), then the
        Options dialog from it; returns (menu rect, dialog rect, OK button
        rect) and leaves the dialog closed."""
        _, menu_rect = open_popup_menu(self.driver, *strip_spot, timeout=UI_TIMEOUT)
        dpi = self.screen_dpi()
        shot = self.screenshot(f"dpi-{dpi}-menu")
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        Keyboard.press(*["Down"] * OPTIONS_STEPS, "Return")
        dialog = self.driver.find_window(title=OPTIONS_TITLE, cls=DIALOG_CLASS, timeout_ms=int(UI_TIMEOUT * 1000))
        self.assertIsNotNone(dialog, f"no Options dialog\n{self.describe_screen()}")
        self.driver.sync(dialog)
        dialog_rect = self.driver.window_rect(dialog)
        ok = [c for c in child_windows(self.driver, dialog) if c.caption == "OK"][0]
        shot = self.screenshot(f"dpi-{dpi}-options")
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        Keyboard.press("Escape")
        self.assertEqual(self.driver.call("wait-gone", "--hwnd", dialog).returncode, 0, "Options stayed open")
        return menu_rect, dialog_rect, ok.rect

    def screen_dpi(self) -> int:
        return harness.Driver(self.config.driver).screen()["dpi_y"]

    def strip_spot(self, cls):
        last = self.driver.tabs(cls=cls).tabs[-1].rect
        return last.right + 20, last.centre[1]

    # -- tests --

    def test_floating_bar_menu_and_options_follow_the_dpi(self):
        Registry.set_settings(Size="1")
        # At 96 DPI first, for the sizes that have no fixed value.
        self.use_dpi(96)
        program, hwnd = self.start(self.wait_bar_window)
        menu96, dialog96, ok96 = self.menu_and_options(self.strip_spot(FLOAT_CLASS))
        self.assertEqual(self.close_bar(program, hwnd), 0)

        self.use_dpi(144)
        self.assertEqual(self.screen_dpi(), 144, "Wine did not take LogPixels")
        program, hwnd = self.start(self.wait_bar_window)
        window = self.driver.window_rect(hwnd)
        # 1100 twips high and 7500 twips wide at 10 twips per pixel.
        self.assertEqual(window.height, 110, f"floating window {window}")
        self.assertEqual(window.width, 750, f"floating window {window}")
        toolbar = self.shown_toolbar(FLOAT_CLASS)
        # 24-pixel pictures; room around them scaled as well (7 and 6 at 96).
        self.assertEqual(self.button_size(FLOAT_CLASS, toolbar.control_id), (24 + 10, 24 + 9))
        self.assertTrue(window.top <= toolbar.rect.top and toolbar.rect.bottom <= window.bottom,
                        f"toolbar {toolbar.rect} outside the window {window}")
        shot = self.screenshot("dpi-144-floating")
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        self.check_square(shot, toolbar, 24)

        menu, dialog, ok = self.menu_and_options(self.strip_spot(FLOAT_CLASS))
        for what, at96, at144 in (("menu height", menu96.height, menu.height),
                                  ("menu width", menu96.width, menu.width),
                                  ("Options width", dialog96.width, dialog.width),
                                  ("Options height", dialog96.height, dialog.height),
                                  ("OK button height", ok96.height, ok.height)):
            self.assertGreaterEqual(at144, 1.35 * at96, f"{what}: {at144} at 144 DPI, {at96} at 96")
        # The dialog opens inside the screen, centred on it.
        self.assertTrue(0 <= dialog.left and dialog.right <= self.screen["width"], f"Options at {dialog}")

        self.assertEqual(self.close_bar(program, hwnd), 0)
        # Stored twips mean what they meant: 750 pixels at 144 DPI is 7500.
        settings = Registry.settings()
        self.assertEqual(settings["Width"].data, "7500")
        self.assertEqual(int(settings["Left"].data), window.left * 10)
        self.assertEqual(int(settings["Top"].data), window.top * 10)

    def test_docked_bar_follows_the_dpi(self):
        self.use_dpi(144)
        Registry.set_settings(Position="1", Autohide="False", Size="0")
        program, dock = self.start(self.wait_docked_window)
        # 1050 twips at 10 twips per pixel: 105 pixels, 48-pixel pictures.
        expected = Rect(0, 0, self.screen["width"], 105)
        self.assertIsNotNone(self.driver.wait_rect(expected, 5000, cls=DOCK_CLASS),
                             f"docked bar at {self.driver.rect(cls=DOCK_CLASS)}, expected {expected}")
        toolbar = self.shown_toolbar(DOCK_CLASS)
        self.assertEqual(self.button_size(DOCK_CLASS, toolbar.control_id), (48 + 10, 48 + 9))
        self.assertLessEqual(toolbar.rect.bottom, 105, f"toolbar {toolbar.rect} below the bar")
        shot = self.screenshot("dpi-144-docked")
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        self.check_square(shot, toolbar, 48)
        self.driver.close_window(cls=DOCK_CLASS, hidden=True)
        self.assertEqual(program.wait_exit(self.EXIT_TIMEOUT), 0)
        self.assertEqual(Registry.settings()["Position"].data, "1")


if __name__ == "__main__":
    harness.main()
