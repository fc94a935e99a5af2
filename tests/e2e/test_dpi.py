#!/usr/bin/env python3
"""End-to-end test of the bar at 150 %: the prefix's LogPixels set to 144
for this test alone (Wine reads it when a program starts). Picture sizes are
counted on screen from a solid square icon in settings.ini's cache; the
menu and the Options dialog are measured against a run at 96 DPI. Wine
offers one monitor: the several-monitor rules are proven natively.

Run under scripts/with-wine.sh, or directly: python3 tests/e2e/test_dpi.py -v
"""

import struct
import sys
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))

import harness  # noqa: E402
from harness import (ABOUT_TITLE, DIALOG_CLASS, DOCK_CLASS, FLOAT_CLASS, Keyboard,  # noqa: E402
                     LarkspanTestCase, Rect, Registry, child_windows, open_popup_menu, run, text, wait_until)
from test_editing import steps_down  # noqa: E402  (the menu's items, from the top)
from test_pictures import ppm_pixels  # noqa: E402

DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
LOAD_TIMEOUT = 20.0
UI_TIMEOUT = 10.0

SQUARE = (0, 150, 255)  # a colour no other picture or control uses


def square_icon(sizes=(16, 20, 24, 32, 40, 48, 64)) -> bytes:
    """An .ico of opaque squares of SQUARE, a 32-bit frame per size."""
    frames = [struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
              + bytes((SQUARE[2], SQUARE[1], SQUARE[0], 255)) * (size * size)
              + bytes(((size + 31) // 32) * 4 * size) for size in sizes]
    data, offset = struct.pack("<HHH", 0, 1, len(sizes)), 6 + 16 * len(sizes)
    for size, frame in zip(sizes, frames):
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(frame), offset)
        offset += len(frame)
    return data + b"".join(frames)


class DpiTests(LarkspanTestCase):

    def use_dpi(self, dpi: int) -> None:
        """LogPixels for the programs started from now on; the value before
        comes back when the test ends."""
        if not hasattr(self, "_dpi_before"):
            self._dpi_before = (Registry.query(DESKTOP_KEY) or {}).get("LogPixels")
            self.addCleanup(self._restore_dpi)
        Registry.add(DESKTOP_KEY, "LogPixels", str(dpi), kind="REG_DWORD")
        # The serving driver measures at the DPI it started with.
        self.driver.stop()

    def _restore_dpi(self) -> None:
        if self._dpi_before is None:
            run(["wine", "reg", "delete", DESKTOP_KEY, "/v", "LogPixels", "/f"])
        else:
            Registry.add(DESKTOP_KEY, "LogPixels", str(int(self._dpi_before.data, 0)), kind="REG_DWORD")
        self.driver.stop()

    def start(self, wait_window):
        program = self.start_program()
        hwnd = wait_window(program)
        wait_until(lambda: self.driver.find_window(title=ABOUT_TITLE) is None, LOAD_TIMEOUT, "the load to end")
        return program, hwnd

    def check_pictures(self, cls, picture: int, shot_name: str):
        """The shown toolbar's buttons hold picture-pixel pictures, with room
        around them scaled too (7 and 6 pixels at 96 DPI); the square is
        drawn at exactly that size. Returns the toolbar."""
        toolbar = [t for t in self.driver.toolbars(cls=cls) if t.visible][0]

        def arrived():
            """The lines of button-images once no shown button waits for its
            picture (a negative image index)."""
            lines = [line.split("\t") for line in self.driver.ok("button-images", "--class", cls).splitlines()]
            shown, waiting = False, False
            for f in lines:
                if f[0] == "toolbar":
                    shown = f[3] == "1"
                elif shown and int(f[1]) < 0:
                    waiting = True
            return None if waiting else lines
        sizes = {int(f[2]): tuple(map(int, f[4].split())) for f in
                 wait_until(arrived, LOAD_TIMEOUT, "every shown button's picture") if f[0] == "toolbar"}
        self.assertEqual(sizes[toolbar.control_id], (picture + 10, picture + 9))
        shot = self.screenshot(shot_name)
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        b = toolbar.buttons[0]
        done = run(["convert", shot, "-crop", f"{b.width}x{b.height}+{b.left}+{b.top}", "+repage", "ppm:-"])
        self.assertEqual(done.returncode, 0, text(done.stderr))
        square = sum(1 for p in ppm_pixels(done.stdout)[2] if all(abs(x - y) <= 2 for x, y in zip(p, SQUARE)))
        self.assertEqual(square, picture * picture, f"the square covers {square} pixels")
        return toolbar

    def menu_and_options(self, dpi: int) -> list:
        """The menu from the tab strip and the Options dialog from it, each
        measured and shot; the dialog closed again."""
        last = self.driver.tabs(cls=FLOAT_CLASS).tabs[-1].rect
        _, menu = open_popup_menu(self.driver, last.right + 20, last.centre[1], timeout=UI_TIMEOUT)
        self.screenshot(f"dpi-{dpi}-menu")
        Keyboard.press(*["Down"] * steps_down("Options"), "Return")
        dialog = self.driver.find_window(title="Options", cls=DIALOG_CLASS, timeout_ms=int(UI_TIMEOUT * 1000))
        self.assertIsNotNone(dialog, f"no Options dialog\n{self.describe_screen()}")
        self.driver.sync(dialog)
        box = self.driver.window_rect(dialog)
        ok = [c for c in child_windows(self.driver, dialog) if c.caption == "OK"][0].rect
        self.assertTrue(0 <= box.left and box.right <= self.screen["width"], f"Options at {box}")
        self.screenshot(f"dpi-{dpi}-options")
        Keyboard.press("Escape")
        self.assertEqual(self.driver.call("wait-gone", "--hwnd", dialog).returncode, 0, "Options stayed open")
        return [menu.width, menu.height, box.width, box.height, ok.height]

    def test_the_bar_its_menu_and_options_follow_the_dpi(self):
        probe = self.install_probe("probe")
        (self.install_dir / "square.ico").write_bytes(square_icon())
        (self.install_dir / "settings.ini").write_bytes(b"[Files]\r\nSQR=square.ico\r\n")
        self.write_catalogue("[Tools]", f"Square={self.install_dir_win}\\plan.sqr", "Probe=" + probe.exe_win,
                             "[Web]", "Home=http://example.invalid/")
        Registry.set_settings(Size="1")
        self.use_dpi(96)
        program, hwnd = self.start(self.wait_bar_window)
        at96 = self.menu_and_options(96)
        self.assertEqual(self.close_bar(program, hwnd), 0)

        self.use_dpi(144)
        self.assertEqual(self.driver.screen()["dpi_y"], 144, "Wine did not take LogPixels")
        program, hwnd = self.start(self.wait_bar_window)
        window = self.driver.window_rect(hwnd)
        # 1100 twips high and 7500 wide at 10 twips per pixel.
        self.assertEqual((window.width, window.height), (750, 110), f"floating window {window}")
        toolbar = self.check_pictures(FLOAT_CLASS, 24, "dpi-144-floating")
        self.assertLessEqual(toolbar.rect.bottom, window.bottom, f"toolbar {toolbar.rect} below {window}")
        at144 = self.menu_and_options(144)
        for what, small, large in zip(("menu width", "menu height", "Options width", "Options height",
                                       "OK height"), at96, at144):
            self.assertGreaterEqual(large, 1.35 * small, f"{what}: {large} at 144 DPI, {small} at 96")
        self.assertEqual(self.close_bar(program, hwnd), 0)
        # Stored twips mean what they meant: 750 pixels at 144 DPI are 7500.
        settings = Registry.settings()
        self.assertEqual((settings["Width"].data, settings["Left"].data, settings["Top"].data),
                         ("7500", str(window.left * 10), str(window.top * 10)))

        # Docked with large pictures: 1050 twips are 105 pixels.
        Registry.set_settings(Position="1", Size="0")
        program, dock = self.start(self.wait_docked_window)
        expected = Rect(0, 0, self.screen["width"], 105)
        self.assertIsNotNone(self.driver.wait_rect(expected, 5000, cls=DOCK_CLASS),
                             f"docked bar at {self.driver.rect(cls=DOCK_CLASS)}, expected {expected}")
        toolbar = self.check_pictures(DOCK_CLASS, 48, "dpi-144-docked")
        self.assertLessEqual(toolbar.rect.bottom, 105, f"toolbar {toolbar.rect} below the bar")
        self.driver.close_window(cls=DOCK_CLASS, hidden=True)
        self.assertEqual(program.wait_exit(self.EXIT_TIMEOUT), 0)


if __name__ == "__main__":
    harness.main()
