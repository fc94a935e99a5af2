#!/usr/bin/env python3
"""End-to-end tests of the bar's colours: the app mode (the prefix's
"AppsUseLightTheme", put back afterwards) and its "ImmersiveColorSet"
broadcast, the "Theme" setting and Options' "Colours", judged by the mean
luminance of screenshot pixels. Wine 8 has no high contrast: see
docs/testing.md for where that is proven.

Run under scripts/with-wine.sh, or directly: python3 tests/e2e/test_colours.py -v
"""

import sys
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))

import harness  # noqa: E402
from harness import (DIALOG_CLASS, DOCK_CLASS, FLOAT_CLASS, Keyboard, Mouse, Rect, Registry,  # noqa: E402
                     child_windows, click_button, open_popup_menu, run, text, type_text, wait_until)
from test_options import BarTestCase  # noqa: E402
from test_pictures import ppm_pixels  # noqa: E402

PERSONALIZE_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize"
UI_TIMEOUT = 10.0
# Mean luminance (0 black to 1 white) a part must stay below to be dark, or
# reach to be light.
DARK_BELOW = 0.3
LIGHT_FROM = 0.6


def luminance(shot: Path, rect: Rect) -> float:
    """The mean luminance of a screen rectangle of a screenshot."""
    done = run(["convert", shot, "-crop", f"{rect.width}x{rect.height}+{rect.left}+{rect.top}", "+repage",
                "ppm:-"], timeout=60)
    if done.returncode != 0:
        raise AssertionError(f"convert failed: {text(done.stderr)}")
    pixels = ppm_pixels(done.stdout)[2]
    return sum(0.2126 * r + 0.7152 * g + 0.0722 * b for r, g, b in pixels) / (255 * len(pixels))


class ColourTests(BarTestCase):

    def setUp(self):
        super().setUp()
        before = (Registry.query(PERSONALIZE_KEY) or {}).get("AppsUseLightTheme")
        self.addCleanup(self.restore_app_mode, before)
        self.probe = self.install_probe("probe")
        self.write_catalogue("[Tools]", "Probe=" + self.probe.exe_win, "Probe Two=" + self.probe.exe_win,
                             "[Web]", "Home=http://example.invalid/")

    def restore_app_mode(self, before):
        if before is None:
            run(["wine", "reg", "delete", PERSONALIZE_KEY, "/v", "AppsUseLightTheme", "/f"])
        else:
            Registry.add(PERSONALIZE_KEY, "AppsUseLightTheme", str(int(before.data, 0)), kind="REG_DWORD")

    def use_app_mode(self, light: bool) -> None:
        Registry.add(PERSONALIZE_KEY, "AppsUseLightTheme", "1" if light else "0", kind="REG_DWORD")

    def parts(self, cls) -> dict:
        """The screen rectangles of a bar window's tabs and of its shown
        toolbar's background right of its buttons."""
        toolbar = [t for t in self.driver.toolbars(cls=cls, hidden=True) if t.visible][0]
        last = toolbar.buttons[-1]
        background = Rect(last.right + 4, toolbar.rect.top + 2, toolbar.rect.right - 4, toolbar.rect.bottom - 2)
        tabs = [t.rect for t in self.driver.tabs(cls=cls, hidden=True).tabs]
        return {"tabs": Rect(tabs[0].left, tabs[0].top, tabs[-1].right, tabs[-1].bottom), "toolbar": background}

    def judge(self, shot: Path, rects: dict, dark: bool) -> None:
        for what, rect in rects.items():
            value = luminance(shot, rect)
            if dark:
                self.assertLess(value, DARK_BELOW, f"{what} {rect} is not dark in {shot}")
            else:
                self.assertGreaterEqual(value, LIGHT_FROM, f"{what} {rect} is not light in {shot}")

    def wait_shown(self, name: str, window: str, rects: dict, dark: bool) -> Path:
        """Screenshots the window, painted whole, until every part has the
        colours (a repaint may be on its way); returns the last one, named."""
        def shown():
            self.driver.ok("wait-painted", "--hwnd", window)
            shot = self.screenshot(name)
            try:
                self.judge(shot, rects, dark)
            except AssertionError:
                return None
            return shot
        try:
            shot = wait_until(shown, UI_TIMEOUT, f"{'dark' if dark else 'light'} {', '.join(rects)}", interval=0.2)
        except AssertionError:
            self.judge(self.screenshot(name), rects, dark)  # says which part and how bright
            raise
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        return shot

    def menu(self, spot, dark: bool, name: str) -> None:
        menu, rect = open_popup_menu(self.driver, *spot, timeout=UI_TIMEOUT)
        self.wait_shown(name, menu, {"the menu": rect}, dark)
        Keyboard.press("Escape")
        self.wait_gone(menu, "the menu")

    def find_box(self, bar, dark: bool, name: str) -> None:
        """Letters typed on the bar show the find box; Escape clears it."""
        Mouse.click(*self.tab_strip_spot())
        wait_until(lambda: self.driver.focus().get("foreground") == bar, UI_TIMEOUT, "the bar to have the keyboard")
        type_text("two")

        def box():
            found = [c for c in child_windows(self.driver, bar) if c.cls == "LarkspanFind" and c.visible]
            return found[0] if found and found[0].text == "two" else None
        found = wait_until(box, UI_TIMEOUT, "the find box showing 'two'")
        Mouse.move(2, 2)  # no hover highlight in the picture
        self.wait_shown(name, bar, {"the find box": found.rect}, dark)
        Keyboard.press("Escape")
        wait_until(lambda: box() is None, UI_TIMEOUT, "the find box to close")

    def test_dark_apps_make_the_bar_dark_and_the_broadcast_makes_it_light_without_a_restart(self):
        self.use_app_mode(light=False)
        program, bar = self.start_and_wait()
        self.wait_shown("colours-dark-floating", bar, self.parts(FLOAT_CLASS), dark=True)
        self.menu(self.tab_strip_spot(), True, "colours-dark-menu")
        self.find_box(bar, True, "colours-dark-find-box")

        # The user turns apps light; Windows tells every window.
        self.use_app_mode(light=True)
        self.driver.ok("broadcast-setting", "--area", "ImmersiveColorSet")
        self.wait_shown("colours-light-floating", bar, self.parts(FLOAT_CLASS), dark=False)
        self.menu(self.tab_strip_spot(), False, "colours-light-menu")
        self.find_box(bar, False, "colours-light-find-box")
        self.assertEqual(self.close_bar(program, bar), 0)
        # The user chose nothing: the bar goes on following Windows.
        self.assertEqual(Registry.settings()["Theme"].data, "system")

    def test_the_dark_setting_wins_over_light_apps_until_light_is_chosen_in_options(self):
        self.use_app_mode(light=True)
        Registry.set_settings(Theme="dark", Position="1")
        program = self.start_program()
        dock = self.wait_docked_window(program)
        parts = self.parts(DOCK_CLASS)
        self.wait_shown("colours-dark-docked", dock, parts, dark=True)

        self.choose("Options", (parts["tabs"].right + 20, parts["tabs"].centre[1]))
        dialog = self.wait_window("the Options dialog", title="Options", cls=DIALOG_CLASS)
        client = self.driver.window_rect(dialog, client=True)
        # Left of the OK button, below the page: the dialog's own background.
        background = {"the dialog": Rect(client.left + 6, client.bottom - 28, client.left + 60, client.bottom - 6)}
        self.wait_shown("colours-dark-options", dialog, background, dark=True)

        click_button(self.driver, dialog, "Light")
        click_button(self.driver, dialog, "Apply")
        self.wait_shown("colours-light-options", dialog, background, dark=False)
        self.wait_shown("colours-light-docked", dock, parts, dark=False)
        click_button(self.driver, dialog, "OK")
        self.wait_gone(dialog, "the Options dialog")
        self.driver.close_window(cls=DOCK_CLASS, hidden=True)
        self.assertEqual(program.wait_exit(self.EXIT_TIMEOUT), 0)
        self.assertEqual(Registry.settings()["Theme"].data, "light")


if __name__ == "__main__":
    harness.main()
