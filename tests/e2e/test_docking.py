#!/usr/bin/env python3
"""End-to-end tests of docking: dragging the floating window to a screen
edge, the docked bar at the top and bottom and as a column at the left and
right, auto-hide under the real mouse,
dragging the docked bar off its edge, and the chevron of a docked bar with
more programs than its row holds.

Wine's shell keeps the appbar list but does not shrink the work area for
it, so these tests judge the docked window's own rectangle, not the
reserved one.

Run under scripts/with-wine.sh, or directly:
python3 tests/e2e/test_docking.py [-v] [DockingTests.test_name].
"""

import os
import sys
import time
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))

import harness  # noqa: E402
from harness import (ABOUT_TITLE, DOCK_CLASS, FLOAT_CLASS, POPUP_MENU_CLASS, SETTINGS_KEY,  # noqa: E402
                     Keyboard, LarkspanTestCase, Mouse, Rect, Registry, open_popup_menu, stays_through_ticks,
                     stays_true, wait_until)
from test_editing import MENU_ITEM_HEIGHT, steps_down  # noqa: E402  (the menu's items, from the top)

CATALOGUE = (
    r"[Tools]",
    r"Notepad=C:\windows\notepad.exe",
    r"Calc=C:\windows\system32\calc.exe",
    r"[Web]",
    r"Home=http://example.invalid/",
)
SECTIONS = ["Tools", "Web"]

LOAD_TIMEOUT = 20.0
# Docking follows the end of a move of the floating window.
ARRANGE_TIMEOUT_MS = 5000
# An auto-hidden bar slides back on the hide timer's next tick (500 ms)
# after the cursor has left its rows; the wait allows for a busy machine.
HIDE_DEADLINE = 1.5

WS_CAPTION = 0x00C00000
WS_EX_TOOLWINDOW = 0x00000080
WS_EX_TOPMOST = 0x00000008
WM_DISPLAYCHANGE = 0x007E
WM_QUERYENDSESSION, WM_ENDSESSION, ENDSESSION_LOGOFF = 0x0011, 0x0016, 0x80000000
APPBAR_CALLBACK = 0x8001  # WM_APP + 1, the docked window's appbar notifications
ABN_STATECHANGE, ABN_POSCHANGED = 0, 1
EDGE_MESSAGE_TITLE = "Appbar Example"
# How long an idle bar is watched for timer messages (a minute for the
# figures in a report: LARKSPAN_IDLE_SECONDS=60).
IDLE_SECONDS = float(os.environ.get("LARKSPAN_IDLE_SECONDS", "3"))


class DockingTests(LarkspanTestCase):

    # -- helpers --

    @property
    def screen_rect(self):
        return Rect(0, 0, self.screen["width"], self.screen["height"])

    def thickness(self, icon_size):
        """The docked bar's height in pixels: 1050 twips for large icons,
        800 for small, the fraction dropped."""
        return (1050 if icon_size == 0 else 800) // self.twips_per_pixel[1]

    def top_rect(self, thickness):
        return Rect(0, 0, self.screen["width"], thickness)

    def bottom_rect(self, thickness):
        return Rect(0, self.screen["height"] - thickness, self.screen["width"], self.screen["height"])

    def wait_loaded(self):
        wait_until(lambda: self.driver.find_window(title=ABOUT_TITLE) is None, LOAD_TIMEOUT,
                   "the About box to close after the load")

    def start_floating(self):
        program = self.start_program()
        hwnd = self.wait_bar_window(program)
        self.wait_loaded()
        return program, hwnd

    def start_docked(self):
        program = self.start_program()
        hwnd = self.wait_docked_window(program)
        self.wait_loaded()
        return program, hwnd

    def assert_dock_rect(self, expected, what):
        if self.driver.wait_rect(expected, ARRANGE_TIMEOUT_MS, cls=DOCK_CLASS, hidden=True) is None:
            self.fail(f"{what}: docked bar at {self.driver.rect(cls=DOCK_CLASS, hidden=True)}, "
                      f"expected {expected}\n{self.describe_screen()}")

    def assert_floating_hidden(self):
        self.assertIsNone(self.driver.find_window(cls=FLOAT_CLASS), "the floating window is shown")

    def wait_docked_after_drop(self, program):
        """The docked bar once a drop has docked the bar; the floating window
        hidden."""
        dock = self.wait_docked_window(program, timeout=ARRANGE_TIMEOUT_MS / 1000)
        wait_until(lambda: self.driver.find_window(cls=FLOAT_CLASS) is None,
                   ARRANGE_TIMEOUT_MS / 1000, "the floating window to hide")
        return dock

    def strip_grab_point(self):
        """A point on the docked bar's tab strip right of the last tab, where
        pressing selects no tab."""
        strip = self.driver.tabs(cls=DOCK_CLASS)
        last = strip.tabs[-1].rect
        x = last.right + 80
        self.assertLess(x, self.screen["width"] - 10, f"no free strip right of the tabs {strip}")
        return x, last.centre[1]

    def strip_pressed(self):
        """The docked bar has taken a press on its strip: it reads where the
        drag started when it handles the press."""
        self.driver.wait_pressed(cls=DOCK_CLASS)

    def quit_docked(self, program):
        """Closes the docked window as the system would; its unload shuts the
        program down."""
        self.driver.close_window(cls=DOCK_CLASS, hidden=True)
        self.assertEqual(program.wait_exit(self.EXIT_TIMEOUT), 0)

    def message_counts(self, cls):
        counts = dict(line.split("\t") for line in
                      self.driver.ok("message-counts", "--class", cls, "--hidden").splitlines())
        return int(counts["messages"]), int(counts["timers"])

    def assert_idle(self, cls, what):
        """Nothing wakes the bar while nobody touches it: no timer message
        and no wake-up by the catalogue's folder in IDLE_SECONDS, and the
        wake-ups per minute printed. Idle starts
        once the start's own work is over: pictures arrive on timers for a
        moment after the bar shows, so first every picture is stored."""
        wait_until(lambda: self.driver.counts(cls=cls, hidden=True)["pending"] == 0, 30.0,
                   f"the pictures to be stored before checking that {what}")
        messages, timers = self.message_counts(cls)
        # Nor does the catalogue's folder, which nobody touches either.
        wakeups = self.driver.measures(cls=cls, hidden=True)["wakeups"]
        started = time.monotonic()
        stays_true(lambda: self.message_counts(cls)[1] == timers, IDLE_SECONDS, f"no timer while {what}",
                   interval=0.5)
        self.assertEqual(self.driver.measures(cls=cls, hidden=True)["wakeups"], wakeups,
                         f"the catalogue's folder woke the bar while {what}")
        after_messages, after_timers = self.message_counts(cls)
        minutes = (time.monotonic() - started) / 60
        print(f"\n[e2e] {what}: {(after_messages - messages) / minutes:.1f} wake-ups and "
              f"{(after_timers - timers) / minutes:.1f} timer messages a minute "
              f"({IDLE_SECONDS:g} s watched)", file=sys.stderr)

    def stays_shown_through_ticks(self, shown, what, ticks=2):
        """The revealed bar stays while its hide timer ticks: each tick was
        a chance to hide it, however slow the machine."""
        stays_through_ticks(lambda: self.driver.rect(cls=DOCK_CLASS) == shown,
                            lambda: self.driver.hide_ticks(cls=DOCK_CLASS, hidden=True), ticks, what)

    def appbar_top(self, edge=0):
        """Where the shell would put another program's appbar on the top
        (0) or bottom (1) edge: a bar holding that edge moves it."""
        return Rect(*map(int, self.driver.ok("appbar-query", "--edge", str(edge)).split()))

    def window_row(self, hwnd):
        rows = [r for r in self.driver.list_windows() if r["hwnd"] == hwnd]
        self.assertEqual(len(rows), 1, f"window {hwnd}")
        return rows[0]

    # -- fixed at the top --

    def test_dragging_floating_bar_to_top_edge_docks_it(self):
        self.write_catalogue(*CATALOGUE)
        Mouse.move(*self.screen_rect.centre)
        program, floating = self.start_floating()
        self.assertIsNone(self.driver.find_window(cls=DOCK_CLASS), "docked at start")
        self.assert_idle(FLOAT_CLASS, "the floating bar is idle")

        # A drop with the top 10 px (150 twips) from the screen's top.
        before = self.drag_caption(floating, 100, 10)
        dock = self.wait_docked_after_drop(program)
        self.assert_dock_rect(self.top_rect(self.thickness(1)), "fixed top bar, small icons")

        row = self.window_row(dock)
        # WS_CAPTION is two bits, one of them the border the bar does have.
        self.assertNotEqual(row["style"] & WS_CAPTION, WS_CAPTION, "the docked bar has a caption")
        self.assertEqual(row["exstyle"] & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST),
                         WS_EX_TOOLWINDOW | WS_EX_TOPMOST, f"exstyle 0x{row['exstyle']:08X}")
        # It carries the sections, the selected one's toolbar inside the bar
        # with the floating bar's pictures.
        self.assertEqual(self.driver.tabs(cls=DOCK_CLASS).captions, SECTIONS)
        self.assert_docked_like_floating()
        shown = [t for t in self.driver.toolbars(cls=DOCK_CLASS) if t.visible]
        bar = self.driver.rect(cls=DOCK_CLASS)
        for rect in (shown[0].rect, *shown[0].buttons):
            self.assertTrue(bar.top <= rect.top and rect.bottom <= bar.bottom,
                            f"{rect} sticks out of the docked bar {bar}")
        self.screenshot("docked-fixed")

        # The fixed bar stays where it is: there is no auto-hide, and no
        # hide timer ever runs.
        Mouse.move(self.screen_rect.centre[0], 1)
        Mouse.move(*self.screen_rect.centre)
        stays_true(lambda: self.driver.rect(cls=DOCK_CLASS) == self.top_rect(self.thickness(1)), 1.2,
                   "the fixed bar at the top")
        self.assertEqual(self.driver.hide_ticks(cls=DOCK_CLASS), 0, "a fixed bar ran the hide timer")

        self.quit_docked(program)
        settings = Registry.settings()
        self.assertEqual(settings["Position"].data, "1")
        self.assertEqual(settings["Size"].data, "1")
        self.assertEqual(settings["Autohide"].data, "False")
        # The floating window keeps the place where it was dropped.
        tpp_x, tpp_y = self.twips_per_pixel
        self.assertLessEqual(abs(int(settings["Left"].data) - 100 * tpp_x), tpp_x)
        self.assertLessEqual(abs(int(settings["Top"].data) - 10 * tpp_y), tpp_y)
        self.assertEqual(int(settings["Width"].data), before.width * tpp_x)

    # -- auto-hide --

    def test_autohide_top_bar_slides_in_under_the_mouse_and_out_after_it(self):
        self.write_catalogue(*CATALOGUE)
        Registry.set_settings(Position="1", Autohide="True", Size="1")
        middle = self.screen_rect.centre
        Mouse.move(*middle)
        program, dock = self.start_docked()
        self.assert_floating_hidden()

        thickness = self.thickness(1)
        shown = self.top_rect(thickness)
        # Above the screen but for a 4-pixel strip.
        hidden = Rect(0, -thickness, self.screen["width"], 4)
        self.assert_dock_rect(hidden, "auto-hidden top bar at start")

        _, timers_hidden = self.message_counts(DOCK_CLASS)
        Mouse.move(middle[0], 1)
        self.assert_dock_rect(shown, "top bar after the mouse touched its strip")
        self.screenshot("docked-autohide-revealed")

        # Anywhere within its rows, it stays.
        Mouse.move(middle[0] // 2, thickness // 2)
        self.stays_shown_through_ticks(shown, "the revealed bar while the mouse is over it")

        ticks_left = self.driver.hide_ticks(cls=DOCK_CLASS, hidden=True)
        Mouse.move(*middle)
        started = time.monotonic()
        waited = self.driver.wait_rect(hidden, int(HIDE_DEADLINE * 4000), cls=DOCK_CLASS, hidden=True)
        took = time.monotonic() - started
        print(f"\n[e2e] hidden {took:.2f} s after the mouse left (driver saw it after {waited} ms)",
              file=sys.stderr)
        self.assertIsNotNone(waited, f"the bar did not hide: {self.driver.rect(cls=DOCK_CLASS, hidden=True)}")
        # On the hide timer's next tick (or the one after, if one was under
        # way as the mouse left), by its own count rather than a clock.
        ticks = self.driver.hide_ticks(cls=DOCK_CLASS, hidden=True) - ticks_left
        self.assertLessEqual(ticks, 2, f"the bar hid only after {ticks} ticks of its timer")
        # The hide timer ran while the bar was shown, and the count saw it.
        self.assertGreater(self.message_counts(DOCK_CLASS)[1], timers_hidden, "no timer message counted")

        # And again: revealing is not a one-off.
        Mouse.move(middle[0], 1)
        self.assert_dock_rect(shown, "top bar revealed a second time")
        Mouse.move(*middle)
        self.assert_dock_rect(hidden, "top bar hidden a second time")
        self.assert_idle(DOCK_CLASS, "the hidden auto-hide bar is idle")

        # The system's news as it comes after a display change, a restart of
        # the shell and another appbar's move: still auto-hide, on the same
        # edge, with no message.
        self.driver.ok("send-message", "--class", FLOAT_CLASS, "--hidden", "--message", str(WM_DISPLAYCHANGE),
                       "--wparam", "32", "--lparam", str(self.screen["height"] << 16 | self.screen["width"]))
        self.driver.ok("send-message", "--class", DOCK_CLASS, "--registered", "TaskbarCreated")
        for news in (ABN_POSCHANGED, ABN_STATECHANGE):
            self.driver.ok("send-message", "--class", DOCK_CLASS, "--message", str(APPBAR_CALLBACK),
                           "--wparam", str(news))
        self.assert_dock_rect(hidden, "auto-hidden top bar after the system's news")
        self.assertIsNone(self.driver.find_window(title=EDGE_MESSAGE_TITLE),
                          "the one-auto-hide-bar message after a display change")
        # Elsewhere on the strip: Wine drops a move to where it saw the
        # mouse last, and it does not see it over the empty desktop.
        Mouse.move(middle[0] + 40, 1)
        self.assert_dock_rect(shown, "top bar revealed after the system's news")

        self.quit_docked(program)
        settings = Registry.settings()
        self.assertEqual(settings["Position"].data, "1")
        self.assertEqual(settings["Autohide"].data, "True")

    def test_an_auto_hidden_bar_stays_out_under_its_own_menu_and_takes_no_keyboard(self):
        self.write_catalogue(*CATALOGUE)
        Registry.set_settings(Position="1", Autohide="True", Size="1")
        middle = self.screen_rect.centre
        Mouse.move(*middle)
        program, dock = self.start_docked()
        thickness = self.thickness(1)
        shown, hidden = self.top_rect(thickness), Rect(0, -thickness, self.screen["width"], 4)
        self.assert_dock_rect(hidden, "auto-hidden top bar at start")

        # Revealed under the mouse, it leaves the keyboard where it was.
        Mouse.move(middle[0], 1)
        self.assert_dock_rect(shown, "top bar after the mouse touched its strip")
        self.assertNotEqual(self.driver.focus().get("foreground"), dock, "revealing the bar activated it")

        # Its menu, and the pointer far below the bar beside it: the hide
        # timer runs inside the menu's loop, and the bar must not slide
        # away from under its own menu.
        x, y = self.strip_grab_point()
        _, menu = open_popup_menu(self.driver, x, y)
        away = (menu.left - 60 if menu.left > 80 else menu.right + 60, self.screen["height"] - 60)
        Mouse.move(*away)
        self.stays_shown_through_ticks(shown, "the revealed bar under its open menu", ticks=3)
        self.assertIsNotNone(self.driver.find_window(cls=POPUP_MENU_CLASS), "the menu closed")
        self.screenshot("docked-autohide-menu")

        # Once the menu has closed, the next tick hides it.
        Keyboard.press("Escape")
        wait_until(lambda: self.driver.find_window(cls=POPUP_MENU_CLASS) is None, 10, "the menu to close")
        self.assert_dock_rect(hidden, "the bar once its menu had closed")
        self.quit_docked(program)

    # -- logging off --

    def test_logging_off_saves_the_settings_and_gives_the_edge_back(self):
        self.write_catalogue(*CATALOGUE)
        Registry.set_settings(Position="1", Autohide="False", Size="0")
        program, dock = self.start_docked()
        thickness = self.thickness(0)
        self.assert_dock_rect(self.top_rect(thickness), "fixed top bar at start")
        self.assertEqual(self.appbar_top().top, thickness, "another appbar is not kept off the bar's strip")
        # Saved only when the program ends: gone now, back after the logoff.
        Registry.delete_key(SETTINGS_KEY)

        self.driver.ok("send-message", "--class", FLOAT_CLASS, "--hidden", "--message", str(WM_QUERYENDSESSION),
                       "--lparam", str(ENDSESSION_LOGOFF))
        self.driver.call("send-message", "--class", FLOAT_CLASS, "--hidden", "--message", str(WM_ENDSESSION),
                         "--wparam", "1", "--lparam", str(ENDSESSION_LOGOFF))
        self.assertEqual(program.wait_exit(self.EXIT_TIMEOUT), 0)
        settings = Registry.settings()
        self.assertIsNotNone(settings, "the settings were not saved at the logoff")
        self.assertEqual((settings["Position"].data, settings["Size"].data, settings["Autohide"].data),
                         ("1", "0", "False"))
        self.assertEqual(self.appbar_top().top, 0, "the top edge was not given back")

    # -- dragging the docked bar --

    def test_dragging_docked_bar_off_the_edge_floats_it_at_the_drop(self):
        self.write_catalogue(*CATALOGUE)
        Registry.set_settings(Position="1", Autohide="False", Size="1")
        Mouse.move(*self.screen_rect.centre)
        program, dock = self.start_docked()
        self.assert_dock_rect(self.top_rect(self.thickness(1)), "fixed top bar at start")

        drop = (300, 350)
        Mouse.drag(self.strip_grab_point(), drop, pressed=self.strip_pressed)
        floating = self.driver.find_window(cls=FLOAT_CLASS, timeout_ms=ARRANGE_TIMEOUT_MS)
        self.assertIsNotNone(floating, f"no floating window after the drop\n{self.describe_screen()}")
        wait_until(lambda: self.driver.find_window(cls=DOCK_CLASS) is None, ARRANGE_TIMEOUT_MS / 1000,
                   "the docked bar to hide")
        rect = self.driver.window_rect(floating)
        self.assertLessEqual(abs(rect.left - drop[0]), 1, f"floating window {rect}, drop {drop}")
        self.assertLessEqual(abs(rect.top - drop[1]), 1, f"floating window {rect}, drop {drop}")

        # Floating again, it docks again when dragged to the top.
        self.drag_caption(floating, rect.left, 5)
        self.wait_docked_after_drop(program)
        self.assert_dock_rect(self.top_rect(self.thickness(1)), "top bar docked again")
        self.quit_docked(program)
        self.assertEqual(Registry.settings()["Position"].data, "1")

    # -- columns at the left and right edges --

    def left_rect(self, thickness):
        return Rect(0, 0, thickness, self.screen["height"])

    def right_rect(self, thickness):
        return Rect(self.screen["width"] - thickness, 0, self.screen["width"], self.screen["height"])

    def assert_buttons_in_a_column(self, what):
        """The section shown stands in the column: its buttons one below the
        other, inside the bar, below the list of sections."""
        bar = self.driver.rect(cls=DOCK_CLASS)
        (shown,) = [t for t in self.driver.toolbars(cls=DOCK_CLASS) if t.visible]
        buttons = [b for b in shown.buttons if b is not None]
        self.assertEqual(len(buttons), 2, f"{what}: {shown}")
        self.assertEqual(buttons[0].left, buttons[1].left, f"{what}: not one below the other {buttons}")
        self.assertGreaterEqual(buttons[1].top, buttons[0].bottom, f"{what}: {buttons}")
        for rect in buttons:
            self.assertTrue(bar.left <= rect.left and rect.right <= bar.right, f"{what}: {rect} outside {bar}")
        # The list of both sections stands above them.
        self.assertGreater(buttons[0].top - bar.top, 2 * 12, f"{what}: no room for the sections' list")

    def test_position_3_and_4_start_columns_and_an_auto_hidden_right_one_slides_out(self):
        self.write_catalogue(*CATALOGUE)
        Registry.set_settings(Position="3", Autohide="False", Size="1")
        middle = self.screen_rect.centre
        Mouse.move(*middle)
        program, dock = self.start_docked()
        self.assert_floating_hidden()
        thickness = self.thickness(1)
        self.assert_dock_rect(self.left_rect(thickness), "fixed left column, small icons")
        self.assertEqual(self.appbar_top().top, 0, "a column keeps another appbar off the top")
        self.assert_buttons_in_a_column("left column")
        self.assertEqual(self.driver.tabs(cls=DOCK_CLASS).captions, SECTIONS)
        self.screenshot("docked-left-column")

        # The sections are where the list draws them, one row below the
        # other (TCM_GETITEMRECT, as assistive technology reads it); a click
        # on the second name shows its section.
        names = [tab.rect for tab in self.driver.tabs(cls=DOCK_CLASS).tabs]
        (tools,) = [t for t in self.driver.toolbars(cls=DOCK_CLASS) if t.visible]
        self.assertEqual(names[1].top, names[0].bottom, f"the rows {names}")
        self.assertTrue(0 <= names[0].left < names[0].right <= thickness, f"the rows {names}")
        self.assertLessEqual(names[1].bottom, tools.buttons[0].top, f"the rows {names} above the buttons")
        Mouse.click(*names[1].centre)
        wait_until(lambda: self.driver.tabs(cls=DOCK_CLASS).selected == 2, 5, "the second section shown")
        (web,) = [t for t in self.driver.toolbars(cls=DOCK_CLASS) if t.visible]
        self.assertEqual(len(web.buttons), 1, f"the Web section: {web}")
        self.quit_docked(program)
        self.assertEqual(Registry.settings()["Position"].data, "3")

        # Auto-hiding at the right: beyond the edge but for a 4-pixel strip.
        Registry.set_settings(Position="4", Autohide="True", Size="1")
        program, dock = self.start_docked()
        width = self.screen["width"]
        hidden = Rect(width - 4, 0, width + thickness, self.screen["height"])
        shown = self.right_rect(thickness)
        self.assert_dock_rect(hidden, "auto-hidden right column at start")
        Mouse.move(width - 1, middle[1])
        self.assert_dock_rect(shown, "right column after the mouse touched its strip")
        self.assert_buttons_in_a_column("right column")
        self.screenshot("docked-right-autohide-revealed")
        # Along the edge, within its width, it stays; left of it, it hides.
        Mouse.move(width - thickness // 2, 40)
        self.stays_shown_through_ticks(shown, "the revealed column while the mouse is over it")
        Mouse.move(*middle)
        self.assert_dock_rect(hidden, "right column after the mouse left it")
        self.quit_docked(program)
        settings = Registry.settings()
        self.assertEqual((settings["Position"].data, settings["Autohide"].data), ("4", "True"))

    def test_dragging_floating_bar_to_the_left_edge_docks_a_column_and_its_list_drags_it_off(self):
        self.write_catalogue(*CATALOGUE)
        Mouse.move(*self.screen_rect.centre)
        program, floating = self.start_floating()
        # The window's left 10 px (150 twips) from the screen's left.
        self.drag_caption(floating, 10, 300)
        self.wait_docked_after_drop(program)
        self.assert_dock_rect(self.left_rect(self.thickness(1)), "fixed left column, small icons")
        self.assert_buttons_in_a_column("left column after the drag")

        # Its list of sections dragged into the middle floats it there.
        drop = (300, 350)
        Mouse.drag((self.thickness(1) // 2, 8), drop, pressed=self.strip_pressed)
        floating = self.driver.find_window(cls=FLOAT_CLASS, timeout_ms=ARRANGE_TIMEOUT_MS)
        self.assertIsNotNone(floating, f"no floating window after the drop\n{self.describe_screen()}")
        rect = self.driver.window_rect(floating)
        self.assertLessEqual(abs(rect.left - drop[0]), 1, f"floating window {rect}, drop {drop}")

        # Floating again, it docks at the right when its right side nears
        # the right edge.
        self.drag_caption(floating, self.screen["width"] - rect.width - 10, 300)
        self.wait_docked_after_drop(program)
        self.assert_dock_rect(self.right_rect(self.thickness(1)), "fixed right column")
        self.quit_docked(program)
        self.assertEqual(Registry.settings()["Position"].data, "4")

        # Back from the right edge to the left one, stored as 3.
        program, dock = self.start_docked()
        self.assert_dock_rect(self.right_rect(self.thickness(1)), "right column at start")
        Mouse.drag((self.screen["width"] - 5, 8), (5, 400), pressed=self.strip_pressed)
        self.assert_dock_rect(self.left_rect(self.thickness(1)), "column dragged from the right to the left")
        self.quit_docked(program)
        self.assertEqual(Registry.settings()["Position"].data, "3")

    # -- the bottom edge --

    def test_a_docked_bar_with_more_programs_than_fit_shows_the_chevron(self):
        last = self.install_probe("last")
        self.write_catalogue("[Many]", *self.many_programs(60, last, "Sixtieth"))
        Registry.set_settings(Position="2", Size="1")
        program, dock = self.start_docked()
        self.assert_dock_rect(self.bottom_rect(self.thickness(1)), "bottom bar with sixty programs")
        (many,) = [t for t in self.driver.toolbars(cls=DOCK_CLASS) if t.visible]
        fits = 60 - len(many.hidden)
        # One row, as wide as the screen, the rest behind the chevron.
        self.assertEqual(many.hidden, list(range(fits + 1, 61)), f"toolbar {many}")
        self.assertGreater(fits * many.buttons[0].width, self.screen["width"] - 3 * many.buttons[0].width)
        self.assertEqual({rect.top for rect in many.buttons[:fits]}, {many.buttons[0].top})

        # At the bottom edge its menu rises above the chevron.
        menu, rect = self.open_chevron_menu(many)
        self.assertLessEqual(rect.bottom, many.buttons[0].top + 2, f"menu {rect}, toolbar {many}")
        shot = self.screenshot("overflow-menu-docked")
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        Keyboard.press("Up", "Return")
        self.assertEqual(last.wait_runs(1, LOAD_TIMEOUT), [b""])
        self.wait_gone(menu, "the chevron's menu after Enter")

        # A right-click on its first item gives that program's menu, whose
        # Delete Program names it.
        menu, rect = self.open_chevron_menu(many)
        Mouse.click(rect.left + 30, rect.top + 3 + MENU_ITEM_HEIGHT // 2, button=3)
        self.wait_gone(menu, "the chevron's menu after a right-click")
        program_menu = self.wait_window("the program's menu", cls=POPUP_MENU_CLASS)
        Mouse.move(2, 2)  # off the menu: the keys start from no selection
        self.assertNotEqual(self.driver.window_rect(program_menu), rect)
        Keyboard.press(*["Down"] * steps_down("Delete Program"), "Return")
        self.assertEqual(self.driver.msgbox_text("Deleting program"), f"Delete program: P{fits + 1:02}?")
        self.driver.press_ok("Deleting program")
        self.quit_docked(program)
        self.assertNotIn(f"P{fits + 1:02}=".encode(), self.catalogue.read_bytes())

    def test_bottom_edge_docking_is_saved_and_restored(self):
        self.write_catalogue(*CATALOGUE)
        Mouse.move(*self.screen_rect.centre)
        program, floating = self.start_floating()
        # The window's bottom reaches within 400 twips of the screen's bottom.
        height = self.driver.window_rect(floating).height
        self.drag_caption(floating, 100, self.screen["height"] - height - 10)
        self.wait_docked_after_drop(program)
        self.assert_dock_rect(self.bottom_rect(self.thickness(1)), "fixed bottom bar, small icons")
        self.quit_docked(program)
        self.assertEqual(Registry.settings()["Position"].data, "2")

        # The next run docks at the bottom from the start; large icons make
        # a thicker bar.
        Registry.set_settings(Size="0")
        program, dock = self.start_docked()
        self.assert_floating_hidden()
        self.assert_dock_rect(self.bottom_rect(self.thickness(0)), "bottom bar at start, large icons")

        # Dragged to the top edge, it moves there.
        Mouse.drag(self.strip_grab_point(), (500, 5), pressed=self.strip_pressed)
        self.assert_dock_rect(self.top_rect(self.thickness(0)), "bar dragged from the bottom to the top")
        self.assert_floating_hidden()
        self.quit_docked(program)
        settings = Registry.settings()
        self.assertEqual(settings["Position"].data, "1")
        self.assertEqual(settings["Size"].data, "0")


if __name__ == "__main__":
    harness.main()
