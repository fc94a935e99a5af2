#!/usr/bin/env python3
"""End-to-end tests of the bar from anywhere by keyboard: the global hotkey
pressed while another program (Wine's Notepad) has the keyboard, type to
find across sections (kept when another program changes the catalogue) and
beyond what a row shows, Enter and Shift+Enter, Escape and the hotkey
handing the keyboard back, an auto-hidden bar held out while it has the
keyboard, and a chord another program holds, reported in Options.

Run under scripts/with-wine.sh, or directly:
python3 tests/e2e/test_keyboard.py [-v] [KeyboardTests.test_name].
"""

import subprocess
import sys
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))

import harness  # noqa: E402
from harness import (ABOUT_TITLE, DIALOG_CLASS, DOCK_CLASS, FLOAT_CLASS, POPUP_MENU_CLASS, Keyboard,  # noqa: E402
                     LarkspanTestCase, Mouse, Rect, Registry, button_state, child_windows, click_button,
                     click_dialog_button, open_popup_menu, stays_through_ticks, type_text, wait_until)
from test_editing import steps_down  # noqa: E402  (the menu's items, from the top)

TIMEOUT = 20.0
HOTKEY = "super+alt+l"
WS_MINIMIZE = 0x20000000
ROLE_TEXT, ROLE_PUSH_BUTTON = 42, 43


class KeyboardTests(LarkspanTestCase):

    def setUp(self):
        super().setUp()
        self.zebra, other = self.install_probe("zebra"), self.install_probe("other")
        # The program to find: the second section's, with an accent nobody types.
        self.write_catalogue("[Office]", f'Word Pad="{other.exe_win}" word', "[Tools]",
                             f'Registry="{other.exe_win}" registry', f'Zébra Probe="{self.zebra.exe_win}" zebra')
        self.helpers = []  # other programs this test started
        self.addCleanup(lambda: [p.kill() or p.wait(timeout=30) for p in self.helpers])

    def start(self, docked=False):
        program = self.start_program()
        hwnd = self.wait_docked_window(program) if docked else self.wait_bar_window(program)
        wait_until(lambda: self.driver.find_window(title=ABOUT_TITLE) is None, TIMEOUT, "the load to end")
        return program, hwnd

    def start_notepad(self):
        """Another program, clicked into so that it has the keyboard."""
        self.helpers.append(subprocess.Popen(["wine", "notepad"], stdin=subprocess.DEVNULL,
                                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        notepad = self.driver.find_window(cls="Notepad", timeout_ms=int(TIMEOUT * 1000))
        self.assertIsNotNone(notepad, "Notepad did not open")
        self.driver.sync(notepad)
        Mouse.click(*self.driver.window_rect(notepad, client=True).centre)
        self.wait_keyboard(notepad)
        return notepad

    def wait_keyboard(self, window, toolbar=False):
        """`window` in front; with toolbar=True, a toolbar of it focused. Its
        thread has then answered a message, so it is done taking the
        activation: under Wine without a window manager it gives the
        display's keyboard focus to its window a moment after the focus
        inside it is set, and a key pressed in between can leave the keys
        with the window that had them (see soak.py's wait_foreground)."""
        def there():
            focus = self.driver.focus()
            return (focus.get("foreground") == window
                    and (not toolbar or focus.get("focus_class") == "ToolbarWindow32"))
        try:
            wait_until(there, TIMEOUT, f"{window} to have the keyboard")
        except AssertionError as e:
            raise AssertionError(f"{e}; the keyboard: {self.driver.focus()}") from None
        self.driver.sync(window)

    def find_box(self, bar):
        return [c for c in child_windows(self.driver, bar) if c.cls == "LarkspanFind"][0]

    def wait_found(self, bar, cls, typed, tab=2, button=2):
        """The find box shows the text, the tab is chosen, the keyboard is on the button."""
        def found():
            box = self.find_box(bar)
            return (box.visible and box.text == typed and self.driver.tabs(cls=cls).selected == tab
                    and self.driver.focus().get("hot") == button)
        try:
            wait_until(found, TIMEOUT, f"{typed!r} to find button {button} of tab {tab}")
        except AssertionError as e:
            raise AssertionError(f"{e}; box {self.find_box(bar)}, keyboard {self.driver.focus()}") from None

    def screenshot_noted(self, name):
        print(f"\n[e2e] screenshot: {self.screenshot(name)}", file=sys.stderr)

    def minimised(self, window):
        return int(self.driver.ok("window-info", "--hwnd", window).split("\t")[4], 16) & WS_MINIMIZE != 0

    def test_hotkey_brings_the_bar_typing_finds_enter_launches_escape_hands_back(self):
        program, bar = self.start()
        notepad = self.start_notepad()
        self.driver.ok("show-window", "--hwnd", bar, "--cmd", "6")
        wait_until(lambda: self.minimised(bar), TIMEOUT, "the bar to minimise")
        self.wait_keyboard(notepad)
        Keyboard.press(HOTKEY)  # restores the minimised bar
        self.wait_keyboard(bar, toolbar=True)
        self.assertFalse(self.minimised(bar), "the bar stayed minimised")
        Keyboard.press(HOTKEY)  # again: back where it came from
        self.wait_keyboard(notepad)

        Keyboard.press(HOTKEY)
        self.wait_keyboard(bar, toolbar=True)
        type_text("ZEB")
        self.wait_found(bar, FLOAT_CLASS, "ZEB")
        Mouse.move(2, 2)  # no hover highlight in the picture
        self.screenshot_noted("keyboard-find-box")
        # Another program puts a section first: the reloaded bar keeps the
        # text and finds with it again, in Tools, now the third tab.
        reloads = self.driver.measures(cls=FLOAT_CLASS)["catalogue-reloads"]
        self.catalogue.write_bytes(b"[Games]\r\n" + self.catalogue.read_bytes())
        wait_until(lambda: self.driver.measures(cls=FLOAT_CLASS)["catalogue-reloads"] > reloads, TIMEOUT,
                   "the reload of the changed file")
        self.wait_found(bar, FLOAT_CLASS, "ZEB", tab=3)
        Keyboard.press("BackSpace")
        self.wait_found(bar, FLOAT_CLASS, "ZE", tab=3)
        # Escape clears the text, then hands the keyboard back.
        Keyboard.press("Escape")
        wait_until(lambda: not self.find_box(bar).visible, TIMEOUT, "the find box to close")
        self.assertEqual(self.driver.focus().get("foreground"), bar, "the first Escape left the bar")
        Keyboard.press("Escape")
        self.wait_keyboard(notepad)

        Keyboard.press(HOTKEY)
        self.wait_keyboard(bar, toolbar=True)
        type_text("probe")
        self.wait_found(bar, FLOAT_CLASS, "probe", tab=3)
        Keyboard.press("Return")
        # Its run, and no other: once every run of the probe has ended, an
        # Escape above that launched it would have written its line too.
        self.assertEqual(self.zebra.wait_runs_then_none(1, TIMEOUT), [b"zebra"])
        wait_until(lambda: not self.find_box(bar).visible, TIMEOUT, "the find box to close after Enter")
        # Shift+Enter: "Run as administrator", which Wine runs as it is.
        type_text("zeb")
        self.wait_found(bar, FLOAT_CLASS, "zeb", tab=3)
        Keyboard.press("shift+Return")
        self.assertEqual(self.zebra.wait_runs(2, TIMEOUT), [b"zebra", b"zebra"])

        self.assertEqual(self.close_bar(program, bar), 0)
        self.assertEqual(Registry.settings()["Hotkey"].data, "Win+Alt+L")

    def test_typing_finds_a_program_beyond_the_row_and_brings_it_into_view(self):
        zulu = self.install_probe("zulu")
        self.write_catalogue("[Many]", *self.many_programs(60, zulu, "Zulu Probe"))
        program, bar = self.start()
        notepad = self.start_notepad()
        Keyboard.press(HOTKEY)
        self.wait_keyboard(bar, toolbar=True)
        (before,) = [t for t in self.driver.toolbars(cls=FLOAT_CLASS) if t.visible]
        self.assertIn(60, before.hidden, f"toolbar {before}")

        type_text("zul")
        self.wait_found(bar, FLOAT_CLASS, "zul", tab=1, button=60)
        # Screen readers read the box as a text named "Find" holding what was
        # typed, and the chevron as a button after the toolbar's own.
        self.assertEqual(self.driver.accessible(self.find_box(bar).hwnd)[0], ("Find", ROLE_TEXT, "zul"))
        children = self.driver.accessible(before.hwnd)[1]
        name, role, place, action = children[-1]
        self.assertEqual((name, role, action), ("More programs", ROLE_PUSH_BUTTON, "Open"))
        x, y = before.chevron
        self.assertTrue(place.left <= x < place.right and place.top <= y < place.bottom, f"the chevron at {place}")
        # The row moved along: the program found shows, the first ones went
        # behind the chevron.
        (after,) = [t for t in self.driver.toolbars(cls=FLOAT_CLASS) if t.visible]
        self.assertIsNotNone(after.buttons[59], f"toolbar {after}")
        self.assertIn(1, after.hidden, f"toolbar {after}")
        self.assertEqual(len(after.hidden), len(before.hidden))
        Mouse.move(2, 2)
        self.screenshot_noted("keyboard-find-beyond-the-row")
        Keyboard.press("Return")
        self.assertEqual(zulu.wait_runs(1, TIMEOUT), [b""])
        # Home goes back to the first, which shows again.
        Keyboard.press("Home")
        wait_until(lambda: self.driver.focus().get("hot") == 1, TIMEOUT, "the keyboard on the first button")
        (home,) = [t for t in self.driver.toolbars(cls=FLOAT_CLASS) if t.visible]
        self.assertEqual(home.hidden, before.hidden)
        self.wait_keyboard(bar, toolbar=True)
        self.assertTrue(self.driver.window_exists(notepad))
        # The chevron is the stop before the first button and after the last:
        # Enter opens its menu; so does its default action, as a screen
        # reader does it.
        Keyboard.press("Left")
        wait_until(lambda: self.driver.focus().get("hot") == 0, TIMEOUT, "the keyboard on the chevron")
        self.screenshot_noted("keyboard-chevron-focused")
        for open_it in (lambda: Keyboard.press("Return"),
                        lambda: self.driver.ok("accessible", "--hwnd", before.hwnd, "--do-default",
                                               str(len(children)))):
            open_it()
            menu = self.driver.find_window(cls=POPUP_MENU_CLASS, timeout_ms=int(TIMEOUT * 1000))
            self.assertIsNotNone(menu, "no menu from the chevron")
            Keyboard.press("Escape")
            self.wait_gone(menu, "the chevron's menu")
        Keyboard.press("Right")
        wait_until(lambda: self.driver.focus().get("hot") == 1, TIMEOUT, "the keyboard past the chevron")
        self.assertEqual(self.close_bar(program, bar), 0)

    def test_auto_hidden_column_comes_out_for_the_hotkey_and_stays_until_the_keyboard_leaves(self):
        # At the right edge: the mouse's way out is covered with the top bar
        # in the docking tests, the keyboard's is the same for every edge.
        Registry.set_settings(Position="4", Autohide="True", Size="1")
        program, dock = self.start(docked=True)
        thickness = 800 // self.twips_per_pixel[0]
        width, height = self.screen["width"], self.screen["height"]
        shown = Rect(width - thickness, 0, width, height)
        hidden = Rect(width - 4, 0, width + thickness, height)
        self.assertIsNotNone(self.driver.wait_rect(hidden, 5000, cls=DOCK_CLASS, hidden=True), "not hidden at start")
        notepad = self.start_notepad()  # the pointer stays on Notepad, far from the edge

        Keyboard.press(HOTKEY)
        self.assertIsNotNone(self.driver.wait_rect(shown, 5000, cls=DOCK_CLASS),
                             f"bar after the hotkey at {self.driver.rect(cls=DOCK_CLASS, hidden=True)}")
        self.wait_keyboard(dock, toolbar=True)
        # Without the keyboard it would hide on the next tick of its timer,
        # the pointer being away: it stays through several.
        stays_through_ticks(lambda: self.driver.rect(cls=DOCK_CLASS) == shown,
                            lambda: self.driver.hide_ticks(cls=DOCK_CLASS), 3, "the bar that has the keyboard")
        type_text("zeb")
        self.wait_found(dock, DOCK_CLASS, "zeb")
        self.screenshot_noted("keyboard-docked-find-box")

        Keyboard.press("Escape", "Escape")
        self.wait_keyboard(notepad)
        self.assertIsNotNone(self.driver.wait_rect(hidden, 5000, cls=DOCK_CLASS, hidden=True),
                             f"bar after the keyboard left at {self.driver.rect(cls=DOCK_CLASS, hidden=True)}")
        # Enter launches from here: its run alone, once every run of the probe
        # has ended, means the Escapes launched nothing.
        Keyboard.press(HOTKEY)
        self.wait_keyboard(dock, toolbar=True)
        type_text("zeb")
        self.wait_found(dock, DOCK_CLASS, "zeb")
        Keyboard.press("Return")
        self.assertEqual(self.zebra.wait_runs_then_none(1, TIMEOUT), [b"zebra"], "Escape launched the program")
        self.driver.close_window(cls=DOCK_CLASS, hidden=True)
        self.assertEqual(program.wait_exit(self.EXIT_TIMEOUT), 0)

    def test_a_taken_hotkey_is_reported_in_options_and_another_one_works(self):
        said = self.install_dir / "holder.txt"
        with open(said, "wb") as out:  # Win+Alt+L held by another program
            self.helpers.append(subprocess.Popen(["wine", self.config.driver, "hold-hotkey", "--modifiers", "9",
                                                  "--key", str(ord("L"))], stdout=out, stderr=subprocess.STDOUT))
        wait_until(lambda: b"held" in said.read_bytes() or self.helpers[0].poll() is not None, TIMEOUT, "the hold")
        self.assertIn(b"held", said.read_bytes(), "the driver could not hold Win+Alt+L")
        program, bar = self.start()

        last_tab = self.driver.tabs(cls=FLOAT_CLASS).tabs[-1].rect
        open_popup_menu(self.driver, last_tab.right + 20, last_tab.centre[1], timeout=TIMEOUT)
        Keyboard.press(*["Down"] * steps_down("Options"), "Return")
        dialog = self.driver.find_window(title="Options", cls=DIALOG_CLASS, timeout_ms=int(TIMEOUT * 1000))
        self.driver.sync(dialog)
        self.assertIn("This hotkey is in use by another program.",
                      [c.text for c in child_windows(self.driver, dialog)])
        self.assertTrue(button_state(self.driver, dialog, "Win +").checked)
        self.screenshot_noted("keyboard-options-hotkey-taken")

        click_button(self.driver, dialog, "Win +")  # Ctrl+Alt+K, no Windows key
        control = [c for c in child_windows(self.driver, dialog) if c.cls == "msctls_hotkey32"][0]
        Mouse.click(*control.rect.centre)
        Keyboard.press("ctrl+alt+k")
        wait_until(lambda: self.driver.ok("hotkey-control", "--hwnd", dialog).split() == ["key", "75", "flags", "6"],
                   TIMEOUT, "Ctrl+Alt+K in the hotkey control")
        click_dialog_button(self.driver, dialog, "OK")
        self.assertEqual(self.driver.call("wait-gone", "--hwnd", dialog).returncode, 0, "OK left the dialog open")

        notepad = self.start_notepad()
        Keyboard.press("ctrl+alt+k")
        self.wait_keyboard(bar, toolbar=True)
        Keyboard.press("Escape")
        self.wait_keyboard(notepad)
        self.assertEqual(self.close_bar(program, bar), 0)
        self.assertEqual(Registry.settings()["Hotkey"].data, "Ctrl+Alt+K")


if __name__ == "__main__":
    harness.main()
