#!/usr/bin/env python3
"""End-to-end tests of the floating bar: real clicks on tabs and program
buttons, launching through the shell with and without arguments, the
keyboard, more programs than a row holds (the chevron's menu, a second row
once the window is taller), and the window's place saved after the user
dragged it.

Launches are proved by copies of larkspan-probe.exe, each in a folder of its
own, logging the command line they were given.

Run under scripts/with-wine.sh, or directly:
python3 tests/e2e/test_floating.py [-v] [FloatingTests.test_name].
"""

import re
import sys
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))

import harness  # noqa: E402
from harness import (ABOUT_TITLE, DIALOG_CLASS, DOCK_CLASS, FLOAT_CLASS, POPUP_MENU_CLASS, TITLE,  # noqa: E402
                     Keyboard, LarkspanTestCase, Mouse, Rect, Registry, wait_until)
from test_editing import steps_down  # noqa: E402  (the menu's items, from the top)

LOAD_TIMEOUT = 20.0
CLICK_TIMEOUT = 10.0
LAUNCH_TIMEOUT = 20.0
ARGUMENTS = '/x "a b" c'
SW_MINIMIZE = 6
EXPLORER_CLASS = "ExplorerWClass"  # the shell's folder window
# The system's file types, as the shell finds them for every user.
CLASSES = r"HKLM\Software\Classes"


def shown(toolbars):
    return [t for t in toolbars if t.visible]


class FloatingTests(LarkspanTestCase):

    def setUp(self):
        super().setUp()
        self.with_args = self.install_probe("with-args")
        self.no_args = self.install_probe("no-args")
        self.keys = self.install_probe("keys")

    def write_launch_catalogue(self):
        """Two sections: the first launches one probe with arguments and one
        without, the second holds two buttons of a third probe, told apart
        by their arguments."""
        self.write_catalogue(
            "[Launch]",
            f'WithArgs="{self.with_args.exe_win}" {ARGUMENTS}',
            f"NoArgs={self.no_args.exe_win}",
            "[Keys]",
            f'One="{self.keys.exe_win}" one',
            f'Two="{self.keys.exe_win}" two',
        )

    def start_and_wait(self):
        program = self.start_program()
        hwnd = self.wait_bar_window(program)
        wait_until(lambda: self.driver.find_window(title=ABOUT_TITLE) is None, LOAD_TIMEOUT,
                   "the About box to close after the load")
        return program, hwnd

    def only_toolbar(self, buttons, other_than=None):
        """The one toolbar shown, once it holds `buttons` buttons and is not
        `other_than`; None until then."""
        now = shown(self.driver.toolbars(cls=FLOAT_CLASS))
        if (len(now) == 1 and now[0].button_count == buttons
                and (other_than is None or now[0].hwnd != other_than.hwnd)):
            return now[0]
        return None

    def wait_section(self, position, buttons, previous):
        """Waits until tab `position` is selected and its toolbar alone shows."""
        def switched():
            return self.driver.tabs(cls=FLOAT_CLASS).selected == position and \
                self.only_toolbar(buttons, other_than=previous)
        try:
            wait_until(switched, CLICK_TIMEOUT, f"section {position} to show")
        except AssertionError as e:
            raise AssertionError(f"{e}; tabs {self.driver.tabs(cls=FLOAT_CLASS)}, "
                                 f"toolbars {self.driver.toolbars(cls=FLOAT_CLASS)}") from None
        return self.only_toolbar(buttons)

    def caption_point(self, hwnd):
        rect = self.driver.window_rect(hwnd)
        client = self.driver.window_rect(hwnd, client=True)
        return (rect.left + rect.right) // 2, (rect.top + client.top) // 2 + 1

    # -- the mouse --

    def test_clicks_switch_sections_and_launch_with_the_entry_arguments(self):
        self.write_launch_catalogue()
        program, hwnd = self.start_and_wait()
        self.assertEqual(self.driver.tabs(cls=FLOAT_CLASS).captions, ["Launch", "Keys"])
        launch = self.only_toolbar(2)
        self.assertIsNotNone(launch, f"toolbars: {self.driver.toolbars(cls=FLOAT_CLASS)}")

        # The arguments arrive exactly as written after the closing quote.
        Mouse.click(*launch.buttons[0].centre)
        self.assertEqual(self.with_args.wait_runs(1, LAUNCH_TIMEOUT), [ARGUMENTS.encode()])
        # No arguments: nothing at all after the program name.
        Mouse.click(*launch.buttons[1].centre)
        self.assertEqual(self.no_args.wait_runs(1, LAUNCH_TIMEOUT), [b""])

        strip = self.driver.tabs(cls=FLOAT_CLASS)
        Mouse.click(*strip.tabs[1].rect.centre)
        keys = self.wait_section(2, 2, previous=launch)
        # Its buttons lie where the first section's were.
        self.assertEqual(keys.rect, launch.rect)
        Mouse.move(*self.caption_point(hwnd))  # no hot button on the picture
        shot = self.screenshot("floating-two-sections")
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)

        # A click reaches the button of the toolbar now shown.
        Mouse.click(*keys.buttons[1].centre)
        self.assertEqual(self.keys.wait_runs(1, LAUNCH_TIMEOUT), [b"two"])

        self.assertEqual(self.close_bar(program, hwnd), 0)
        # One click, one launch.
        self.assertEqual(self.with_args.log.read_bytes(), ARGUMENTS.encode() + b"\r\n")
        self.assertEqual(self.no_args.log.read_bytes(), b"\r\n")
        self.assertEqual(self.keys.log.read_bytes(), b"two\r\n")

    # -- the keyboard --

    def test_keyboard_switches_sections_and_launches_the_focused_button(self):
        self.write_launch_catalogue()
        program, hwnd = self.start_and_wait()
        launch = self.only_toolbar(2)
        self.assertIsNotNone(launch, f"toolbars: {self.driver.toolbars(cls=FLOAT_CLASS)}")

        # A click on the title bar gives the bar the keyboard.
        Mouse.click(*self.caption_point(hwnd))
        wait_until(lambda: self.driver.focus()["foreground"] == hwnd, CLICK_TIMEOUT,
                   "the bar to become the foreground window")

        Keyboard.press("ctrl+Tab")
        keys = self.wait_section(2, 2, previous=launch)
        # The keyboard is on the section's name, whose focus rectangle shows it.
        wait_until(lambda: self.driver.focus().get("focus_class") == "SysTabControl32", CLICK_TIMEOUT,
                   "the keyboard on the tab strip")
        self.screenshot("floating-keyboard-on-the-section")
        # Both ways round, wrapping at the ends.
        Keyboard.press("ctrl+Tab")
        self.wait_section(1, 2, previous=keys)
        Keyboard.press("ctrl+shift+Tab")
        self.assertEqual(self.wait_section(2, 2, previous=launch).hwnd, keys.hwnd)

        def on_button(n):
            focus = self.driver.focus()
            return focus.get("focus") == keys.hwnd and focus.get("hot") == n

        Keyboard.press("Tab")
        wait_until(lambda: on_button(1), CLICK_TIMEOUT, "the keyboard on the first button")
        Keyboard.press("Right")
        wait_until(lambda: on_button(2), CLICK_TIMEOUT, "the keyboard on the second button")
        Keyboard.press("Return")
        self.assertEqual(self.keys.wait_runs(1, LAUNCH_TIMEOUT), [b"two"])
        Keyboard.press("Left")
        wait_until(lambda: on_button(1), CLICK_TIMEOUT, "the keyboard back on the first button")
        Keyboard.press("space")
        self.assertEqual(self.keys.wait_runs(2, LAUNCH_TIMEOUT), [b"two", b"one"])
        # The Menu key gives the menu of the keyboard's button: its Properties.
        Keyboard.press("Menu")
        self.assertIsNotNone(self.driver.find_window(cls=POPUP_MENU_CLASS, timeout_ms=int(CLICK_TIMEOUT * 1000)),
                             "no menu for the Menu key")
        Keyboard.press(*["Down"] * steps_down("Properties\u2026"), "Return")
        properties = self.driver.find_window(title="One Properties", cls=DIALOG_CLASS,
                                             timeout_ms=int(CLICK_TIMEOUT * 1000))
        self.assertIsNotNone(properties, "the first button's Properties did not open")
        Keyboard.press("Escape")
        self.wait_gone(properties, "Properties")

        self.assertEqual(self.close_bar(program, hwnd), 0)
        self.assertFalse(self.with_args.log.exists(), "the first section's button was launched")
        self.assertFalse(self.no_args.log.exists(), "the first section's button was launched")

    # -- more programs than a row holds --

    def test_the_chevron_reaches_every_program_and_a_taller_window_shows_two_rows(self):
        tpp_x, tpp_y = self.twips_per_pixel
        Registry.set_settings(Left=str(200 * tpp_x), Top=str(40 * tpp_y), Size="1")
        last = self.install_probe("last")
        entries = self.many_programs(60, last, "Sixtieth")
        # Folders among them: their buttons are wider by the arrow of their
        # menu, and what fits is measured with it.
        folder = self.install_dir / "Folder"
        folder.mkdir()
        for n in (2, 5, 9):
            entries[n - 1] = f"P{n:02}={harness.wine_path(folder)}"
        self.write_catalogue("[Many]", *entries)
        program, hwnd = self.start_and_wait()
        def with_arrows():
            # A button's room runs to the next one's left.
            toolbar = self.only_toolbar(60)
            return toolbar if toolbar and toolbar.buttons[2].left - toolbar.buttons[1].left > \
                toolbar.buttons[1].left - toolbar.buttons[0].left else None
        many = wait_until(with_arrows, LOAD_TIMEOUT, "the section's 60 buttons, folders with their arrows")
        fits = 60 - len(many.hidden)
        # The first ones show in one row, the rest wait behind the chevron.
        self.assertEqual(many.hidden, list(range(fits + 1, 61)), f"toolbar {many}")
        self.assertGreaterEqual(fits, 15, f"toolbar {many}")
        self.assertEqual({rect.top for rect in many.buttons[:fits]}, {many.buttons[0].top})
        self.assertLess(many.buttons[fits - 1].right, many.chevron[0])

        # The chevron's menu lists them in their order: its last item starts
        # the 60th program.
        menu, menu_rect = self.open_chevron_menu(many)
        shot = self.screenshot("overflow-menu-floating")
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        Keyboard.press("Up", "Return")
        self.assertEqual(last.wait_runs(1, LAUNCH_TIMEOUT), [b""])
        self.wait_gone(menu, "the chevron's menu after Enter")

        # Its first item's own menu is the program's: Delete Program asks
        # about that program.
        menu, _ = self.open_chevron_menu(many)
        Keyboard.press("Down", "Menu")
        wait_until(lambda: not self.driver.window_exists(menu) or self.driver.window_rect(menu) != menu_rect,
                   CLICK_TIMEOUT, "the chevron's menu to give way")
        self.driver.find_window(cls=POPUP_MENU_CLASS, timeout_ms=int(CLICK_TIMEOUT * 1000))
        Keyboard.press(*["Down"] * steps_down("Delete Program"), "Return")
        self.assertEqual(self.driver.msgbox_text("Deleting program"), f"Delete program: P{fits + 1:02}?")
        self.driver.press_ok("Deleting program")
        wait_until(lambda: self.only_toolbar(59), CLICK_TIMEOUT, "the deleted program to leave the bar")
        self.assertNotIn(f"P{fits + 1:02}=".encode(), self.catalogue.read_bytes())

        # Taller by a row: the buttons wrap into a second row.
        before = self.driver.window_rect(hwnd)
        row = many.buttons[0].height
        client = self.driver.window_rect(hwnd, client=True)
        grab = (before.centre[0], (client.bottom + before.bottom) // 2)  # on the sizing border
        Mouse.drag(grab, (grab[0], grab[1] + row + 3), pressed=lambda: self.driver.wait_pressed(hwnd=hwnd))
        taller = Rect(before.left, before.top, before.right, before.bottom + row)
        if self.driver.wait_rect(taller, 5000, hwnd=hwnd) is None:
            self.fail(f"window at {self.driver.window_rect(hwnd)} after the drag, expected {taller}")
        two = wait_until(lambda: self.only_toolbar(59), CLICK_TIMEOUT, "the two rows")
        self.assertEqual(sorted({rect.top for rect in two.buttons if rect}),
                         [many.buttons[0].top, many.buttons[0].top + row], f"toolbar {two}")
        # A full first row: the second row's first button would not have
        # fitted after it. The second row's last button is clear of the
        # chevron.
        first_row = [rect for rect in two.buttons if rect and rect.top == many.buttons[0].top]
        second_row = [rect for rect in two.buttons if rect and rect.top != many.buttons[0].top]
        self.assertGreaterEqual(len(first_row), fits, f"toolbar {two}")
        self.assertGreater(first_row[-1].right + second_row[0].width, two.rect.right, f"toolbar {two}")
        self.assertGreaterEqual(len(second_row), fits, f"toolbar {two}")
        self.assertLess(max(rect.right for rect in second_row), two.chevron[0], f"toolbar {two}")
        Mouse.move(*self.caption_point(hwnd))
        shot = self.screenshot("floating-two-rows")
        print(f"[e2e] screenshot: {shot}", file=sys.stderr)

        # Its height is kept: the next start shows two rows again.
        self.assertEqual(self.close_bar(program, hwnd), 0)
        self.assertLessEqual(abs(int(Registry.settings()["Height"].data) - taller.height * tpp_y), tpp_y)
        program, hwnd = self.start_and_wait()
        self.assertEqual(self.driver.window_rect(hwnd).height, taller.height)
        again = wait_until(lambda: self.only_toolbar(59), LOAD_TIMEOUT, "the 59 buttons")
        self.assertEqual(again.hidden, two.hidden)
        self.assertEqual(self.close_bar(program, hwnd), 0)

    # -- what else a button opens --

    def hand_to(self, handler, *kinds):
        """Makes the probe `handler` the program the shell opens these file
        types or address schemes with, for this test only."""
        for kind in kinds:
            command = f"{CLASSES}\\{kind}\\shell\\open\\command"
            before = Registry.query(command)
            if kind.startswith("."):
                Registry.add(f"{CLASSES}\\{kind}", "", "LarkspanTest" + kind[1:])
                command = f"{CLASSES}\\LarkspanTest{kind[1:]}\\shell\\open\\command"
                self.addCleanup(Registry.delete_key, f"{CLASSES}\\LarkspanTest{kind[1:]}")
                self.addCleanup(Registry.delete_key, f"{CLASSES}\\{kind}")
            elif before is not None:
                old = before[""].data
                self.addCleanup(Registry.add, command, "", old)
            Registry.add(command, "", f'"{handler.exe_win}" {kind.strip(".")} "%1"')

    def test_folders_addresses_documents_open_and_a_missing_target_says_why(self):
        handler = self.install_probe("handler")
        folder = self.install_dir / "Docs Folder"
        folder.mkdir()
        document = folder / "notes.larkdoc"
        document.write_bytes(b"words\r\n")
        self.hand_to(handler, ".larkdoc", "http")
        missing = harness.windows_join(harness.wine_path(self.install_dir), r"Gone\nothing.exe")
        self.write_catalogue("[Open]", f"Folder={harness.wine_path(folder)}", "Web=http://example.invalid/page?q=1",
                             f"Notes={harness.wine_path(document)}", f"Gone={missing}")
        program, hwnd = self.start_and_wait()
        buttons = wait_until(lambda: self.only_toolbar(4), CLICK_TIMEOUT, "the four buttons").buttons

        # A folder opens in the shell's window on it.
        Mouse.click(*buttons[0].centre)
        explorer = self.wait_window("the folder's window", timeout=LAUNCH_TIMEOUT, title=folder.name,
                                    cls=EXPLORER_CLASS)
        self.driver.close(explorer)
        self.wait_gone(explorer, "the folder's window")

        # A web address and a document go to the programs the system names.
        Mouse.click(*buttons[1].centre)
        Mouse.click(*buttons[2].centre)
        runs = handler.wait_runs_then_none(2, LAUNCH_TIMEOUT)
        self.assertEqual(sorted(runs), sorted([b'http "http://example.invalid/page?q=1"',
                                               f'larkdoc "{harness.wine_path(document)}"'.encode()]))

        # A target that is not there: the bar says so, in its own words, once.
        Mouse.click(*buttons[3].centre)
        box = self.driver.msgbox_text(TITLE, timeout_ms=int(LAUNCH_TIMEOUT * 1000))
        self.assertIsNotNone(box, f"no message after a launch that failed\n{self.describe_screen()}")
        self.assertRegex(box, r'^Larkspan could not open "' + re.escape(missing) + r'"\.\n\n\S.+$')
        shot = self.screenshot("floating-launch-failed")
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        self.driver.press_ok(TITLE)
        wait_until(lambda: self.driver.find_window(title=TITLE, cls=DIALOG_CLASS) is None, CLICK_TIMEOUT,
                   "the message to close")
        self.assertTrue(self.driver.sync(hwnd))
        self.assertEqual([w for w in self.driver.list_windows(visible_only=True) if w["class"] == DIALOG_CLASS], [],
                         "a second message about the same launch")
        self.assertEqual(self.close_bar(program, hwnd), 0)

    # -- closed while minimised --

    def test_closed_while_minimised_it_stores_the_place_it_had(self):
        tpp_x, tpp_y = self.twips_per_pixel
        Registry.set_settings(Left=str(300 * tpp_x), Top=str(250 * tpp_y), Size="1", Position="5")
        program, hwnd = self.start_and_wait()
        place = self.driver.window_rect(hwnd)
        self.driver.ok("show-window", "--hwnd", hwnd, "--cmd", str(SW_MINIMIZE))
        wait_until(lambda: self.driver.window_rect(hwnd) != place, CLICK_TIMEOUT, "the bar to be minimised")
        self.assertEqual(self.close_bar(program, hwnd), 0)
        settings = Registry.settings()
        self.assertEqual((int(settings["Left"].data), int(settings["Top"].data)),
                         (place.left * tpp_x, place.top * tpp_y), f"the place it had was {place}")
        self.assertEqual(int(settings["Width"].data), place.width * tpp_x)

    # -- the dragged window --

    def test_window_dragged_by_its_title_bar_saves_its_new_place(self):
        tpp_x, tpp_y = self.twips_per_pixel
        Registry.set_settings(Left=str(200 * tpp_x), Top=str(150 * tpp_y), Width=str(400 * tpp_x),
                              Size="1", Position="5", Autohide="False")
        program, hwnd = self.start_and_wait()
        before = self.drag_caption(hwnd, 420, 300)
        moved = Rect(420, 300, 420 + before.width, 300 + before.height)
        if self.driver.wait_rect(moved, 5000, tolerance=1, hwnd=hwnd) is None:
            self.fail(f"window at {self.driver.window_rect(hwnd)} after the drag, expected {moved}")
        after = self.driver.window_rect(hwnd)

        # Far from both edges the bar stays floating once the end of the move
        # has been handled (the move loop over, the thread taking messages).
        self.driver.ok("wait-capture", "--hwnd", hwnd, "--released")
        self.assertTrue(self.driver.sync(hwnd))
        self.assertIsNone(self.driver.find_window(cls=DOCK_CLASS), "docked after a drop far from the edges")
        self.assertEqual(self.driver.rect(hwnd=hwnd), after, "the floating window moved after the drop")

        self.assertEqual(self.close_bar(program, hwnd), 0)
        settings = Registry.settings()
        self.assertEqual(settings["Position"].data, "5")
        for name, pixels, tpp in (("Left", after.left, tpp_x), ("Top", after.top, tpp_y),
                                  ("Width", after.width, tpp_x)):
            self.assertLessEqual(abs(int(settings[name].data) - pixels * tpp), tpp,
                                 f"{name} = {settings[name].data}, window {after}")


if __name__ == "__main__":
    harness.main()
