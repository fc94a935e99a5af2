#!/usr/bin/env python3
"""End-to-end tests of the bar from anywhere by keyboard: the global hotkey
pressed while another program (Wine's Notepad) has the keyboard, type to
find across sections, Enter to launch, Escape and the hotkey to hand the
keyboard back; an auto-hidden bar that stays while it has the keyboard; a
chord another program holds, reported in Options, and a new one chosen
there.

Run under scripts/with-wine.sh, or directly:
python3 tests/e2e/test_keyboard.py [-v] [KeyboardTests.test_name].
"""

import subprocess
import sys
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))

import harness  # noqa: E402
from harness import (ABOUT_TITLE, DIALOG_CLASS, DOCK_CLASS, FLOAT_CLASS, Keyboard, LarkspanTestCase,  # noqa: E402
                     Mouse, Rect, Registry, button_state, child_windows, click_button, click_dialog_button,
                     open_popup_menu, stays_true, type_text, wait_until)

LOAD_TIMEOUT = 20.0
UI_TIMEOUT = 10.0
LAUNCH_TIMEOUT = 20.0
ARRANGE_TIMEOUT_MS = 5000
HOTKEY = "super+alt+l"
NOTEPAD_CLASS = "Notepad"
FIND_CLASS = "LarkspanFind"
TOOLBAR_CLASS = "ToolbarWindow32"
MOD_ALT, MOD_WIN = 0x1, 0x8
HOTKEYF_CONTROL, HOTKEYF_ALT = 0x2, 0x4


class KeyboardTests(LarkspanTestCase):

    def setUp(self):
        super().setUp()
        self.zebra = self.install_probe("zebra")
        self.other = self.install_probe("other")
        self.helpers = []  # processes of other programs this test started
        self.addCleanup(self.end_helpers)

    def end_helpers(self):
        for process in self.helpers:
            if process.poll() is None:
                process.kill()
                process.wait(timeout=30)

    def write_two_sections(self):
        """The program to find sits in the second section, its name with an
        accent the user does not type."""
        self.write_catalogue(
            "[Office]",
            f'Word Pad="{self.other.exe_win}" word',
            f'Calculator="{self.other.exe_win}" calc',
            "[Tools]",
            f'Registry="{self.other.exe_win}" registry',
            f'Zébra Probe="{self.zebra.exe_win}" zebra',
        )

    def start_and_wait(self, docked=False):
        program = self.start_program()
        hwnd = self.wait_docked_window(program) if docked else self.wait_bar_window(program)
        wait_until(lambda: self.driver.find_window(title=ABOUT_TITLE) is None, LOAD_TIMEOUT,
                   "the About box to close after the load")
        return program, hwnd

    def start_notepad(self):
        """Another program with the keyboard: Wine's Notepad, clicked into."""
        self.helpers.append(subprocess.Popen(["wine", "notepad"], cwd=self.install_dir,
                                             stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                             stderr=subprocess.DEVNULL))
        notepad = self.driver.find_window(cls=NOTEPAD_CLASS, timeout_ms=int(LOAD_TIMEOUT * 1000))
        self.assertIsNotNone(notepad, f"Notepad did not open\n{self.describe_screen()}")
        self.driver.sync(notepad)
        self.give_keyboard_to(notepad)
        return notepad

    def give_keyboard_to(self, hwnd):
        client = self.driver.window_rect(hwnd, client=True)
        Mouse.click(*client.centre)
        self.wait_foreground(hwnd, "the clicked window")

    def wait_foreground(self, hwnd, what):
        try:
            wait_until(lambda: self.driver.focus().get("foreground") == hwnd, UI_TIMEOUT,
                       f"{what} to have the keyboard")
        except AssertionError as e:
            raise AssertionError(f"{e}; the keyboard: {self.driver.focus()}") from None

    def wait_bar_keyboard(self, bar):
        """The bar in front with its shown section's toolbar focused."""
        def ready():
            focus = self.driver.focus()
            return focus.get("foreground") == bar and focus.get("focus_class") == TOOLBAR_CLASS
        try:
            wait_until(ready, UI_TIMEOUT, "the bar to have the keyboard on its toolbar")
        except AssertionError as e:
            raise AssertionError(f"{e}; the keyboard: {self.driver.focus()}") from None

    def find_box(self, bar):
        boxes = [c for c in child_windows(self.driver, bar) if c.cls == FIND_CLASS]
        self.assertEqual(len(boxes), 1, f"find boxes of {bar}")
        return boxes[0]

    def wait_found(self, bar, cls, typed, tab, button):
        """The find box shows the typed text, the tab is selected and the
        keyboard is on the button (positions from 1)."""
        def found():
            box = self.find_box(bar)
            focus = self.driver.focus()
            return (box.visible and box.text == typed and self.driver.tabs(cls=cls).selected == tab
                    and focus.get("hot") == button)
        try:
            wait_until(found, UI_TIMEOUT, f"{typed!r} to find button {button} of tab {tab}")
        except AssertionError as e:
            raise AssertionError(f"{e}; box {self.find_box(bar)}, tabs {self.driver.tabs(cls=cls)}, "
                                 f"keyboard {self.driver.focus()}") from None

    def screenshot_noted(self, name):
        shot = self.screenshot(name)
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        return shot

    # -- the floating bar --

    def test_hotkey_brings_the_bar_typing_finds_enter_launches_escape_hands_back(self):
        self.write_two_sections()
        program, bar = self.start_and_wait()
        notepad = self.start_notepad()

        # Pressed again, the hotkey hands the keyboard back.
        Keyboard.press(HOTKEY)
        self.wait_bar_keyboard(bar)
        Keyboard.press(HOTKEY)
        self.wait_foreground(notepad, "Notepad, after the hotkey a second time")

        # Letters without case or accent find the program in the second section.
        Keyboard.press(HOTKEY)
        self.wait_bar_keyboard(bar)
        type_text("ZEB")
        self.wait_found(bar, FLOAT_CLASS, "ZEB", tab=2, button=2)
        Mouse.move(2, 2)  # the pointer off the bar: no hover highlight in the picture
        self.screenshot_noted("keyboard-find-box")
        Keyboard.press("BackSpace")
        self.wait_found(bar, FLOAT_CLASS, "ZE", tab=2, button=2)

        # Escape clears the text, then hands the keyboard back.
        Keyboard.press("Escape")
        wait_until(lambda: not self.find_box(bar).visible, UI_TIMEOUT, "the find box to close")
        self.assertEqual(self.driver.focus().get("foreground"), bar, "the first Escape left the bar")
        Keyboard.press("Escape")
        self.wait_foreground(notepad, "Notepad, after Escape")

        # Enter starts the program found.
        Keyboard.press(HOTKEY)
        self.wait_bar_keyboard(bar)
        type_text("probe")
        self.wait_found(bar, FLOAT_CLASS, "probe", tab=2, button=2)
        Keyboard.press("Return")
        self.assertEqual(self.zebra.wait_runs(1, LAUNCH_TIMEOUT), [b"zebra"])
        wait_until(lambda: not self.find_box(bar).visible, UI_TIMEOUT, "the find box to close after Enter")
        # Shift+Enter: "Run as administrator", which Wine runs as it is.
        type_text("zeb")
        self.wait_found(bar, FLOAT_CLASS, "zeb", tab=2, button=2)
        Keyboard.press("shift+Return")
        self.assertEqual(self.zebra.wait_runs(2, LAUNCH_TIMEOUT), [b"zebra", b"zebra"])

        self.assertEqual(self.close_bar(program, bar), 0)
        self.assertFalse(self.other.log.exists(), "another button was launched")
        self.assertEqual(Registry.settings()["Hotkey"].data, "Win+Alt+L")

    # -- the docked bar --

    def test_auto_hidden_bar_comes_out_for_the_hotkey_and_stays_until_the_keyboard_leaves(self):
        self.write_two_sections()
        Registry.set_settings(Position="1", Autohide="True", Size="1")
        program, dock = self.start_and_wait(docked=True)
        thickness = 800 // self.twips_per_pixel[1]
        shown = Rect(0, 0, self.screen["width"], thickness)
        hidden = Rect(0, -thickness, self.screen["width"], 4)
        self.assertIsNotNone(self.driver.wait_rect(hidden, ARRANGE_TIMEOUT_MS, cls=DOCK_CLASS, hidden=True),
                             f"auto-hidden bar at {self.driver.rect(cls=DOCK_CLASS, hidden=True)}")
        notepad = self.start_notepad()  # the pointer stays on Notepad, far from the edge

        Keyboard.press(HOTKEY)
        self.assertIsNotNone(self.driver.wait_rect(shown, ARRANGE_TIMEOUT_MS, cls=DOCK_CLASS),
                             f"bar after the hotkey at {self.driver.rect(cls=DOCK_CLASS, hidden=True)}")
        self.wait_bar_keyboard(dock)
        # Without the keyboard it would hide within a second of the pointer
        # being away; with it, it stays.
        stays_true(lambda: self.driver.rect(cls=DOCK_CLASS) == shown, 2.0,
                   "the revealed bar while it has the keyboard")
        type_text("zeb")
        self.wait_found(dock, DOCK_CLASS, "zeb", tab=2, button=2)
        self.screenshot_noted("keyboard-docked-find-box")

        Keyboard.press("Escape", "Escape")
        self.wait_foreground(notepad, "Notepad, after Escape on the docked bar")
        self.assertIsNotNone(self.driver.wait_rect(hidden, ARRANGE_TIMEOUT_MS, cls=DOCK_CLASS, hidden=True),
                             f"bar after the keyboard left at {self.driver.rect(cls=DOCK_CLASS, hidden=True)}")
        self.assertFalse(self.zebra.log.exists(), "Escape launched the program")

        self.driver.close_window(cls=DOCK_CLASS, hidden=True)
        self.assertEqual(program.wait_exit(self.EXIT_TIMEOUT), 0)

    # -- a chord another program holds --

    def test_a_taken_hotkey_is_reported_in_options_and_another_one_works(self):
        self.write_two_sections()
        said = self.install_dir / "holder.txt"
        with open(said, "wb") as out:
            holder = subprocess.Popen(["wine", self.config.driver, "hold-hotkey", "--modifiers",
                                       str(MOD_WIN | MOD_ALT), "--key", str(ord("L")), "--timeout-ms", "120000"],
                                      stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT)
        self.helpers.append(holder)
        wait_until(lambda: b"held" in said.read_bytes() or holder.poll() is not None, LOAD_TIMEOUT,
                   "the driver to hold Win+Alt+L")
        self.assertIn(b"held", said.read_bytes(), "the driver could not hold Win+Alt+L")
        program, bar = self.start_and_wait()

        open_popup_menu(self.driver, *self.tab_strip_spot(bar), timeout=UI_TIMEOUT)
        Keyboard.press(*["Down"] * 11, "Return")  # Options
        dialog = self.driver.find_window(title="Options", cls=DIALOG_CLASS, timeout_ms=int(UI_TIMEOUT * 1000))
        self.assertIsNotNone(dialog, f"no Options dialog\n{self.describe_screen()}")
        self.driver.sync(dialog)
        texts = [c.text for c in child_windows(self.driver, dialog)]
        self.assertIn("This hotkey is in use by another program.", texts)
        self.assertTrue(button_state(self.driver, dialog, "Win +").checked)
        self.assertFalse(button_state(self.driver, dialog, "Start with Windows").checked)
        self.screenshot_noted("keyboard-options-hotkey-taken")

        # Ctrl+Alt+K in the hotkey control, without the Windows key.
        click_button(self.driver, dialog, "Win +")
        control = [c for c in child_windows(self.driver, dialog) if c.cls == "msctls_hotkey32"][0]
        Mouse.click(*control.rect.centre)
        Keyboard.press("ctrl+alt+k")
        wait_until(lambda: self.hotkey_control(dialog) == (ord("K"), HOTKEYF_CONTROL | HOTKEYF_ALT), UI_TIMEOUT,
                   "Ctrl+Alt+K in the hotkey control")
        self.assertTrue(button_state(self.driver, dialog, "Apply").enabled, "Apply after a new chord")
        click_dialog_button(self.driver, dialog, "OK")
        done = self.driver.call("wait-gone", "--hwnd", dialog, "--timeout-ms", str(int(UI_TIMEOUT * 1000)))
        self.assertEqual(done.returncode, 0, f"OK left the dialog open: {harness.text(done.stderr)}\n"
                                             f"{self.describe_screen()}")

        notepad = self.start_notepad()
        Keyboard.press("ctrl+alt+k")
        self.wait_bar_keyboard(bar)
        Keyboard.press("Escape")
        self.wait_foreground(notepad, "Notepad, after Escape")

        self.assertEqual(self.close_bar(program, bar), 0)
        self.assertEqual(Registry.settings()["Hotkey"].data, "Ctrl+Alt+K")

    def hotkey_control(self, dialog):
        fields = dict(line.split("\t") for line in self.driver.ok("hotkey-control", "--hwnd", dialog).splitlines())
        return int(fields["key"]), int(fields["flags"])

    def tab_strip_spot(self, bar):
        last = self.driver.tabs(cls=FLOAT_CLASS).tabs[-1].rect
        return last.right + 20, last.centre[1]


if __name__ == "__main__":
    harness.main()
