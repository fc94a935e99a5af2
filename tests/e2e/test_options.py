#!/usr/bin/env python3
"""End-to-end tests of the first-run desktop import, the Options dialog and
the About box.

The first run reads real shortcuts (.lnk files saved through the shell) from
the prefix's desktop folder, which is the harness's HOME; they are removed
again after the test. The dialogs are opened from the popup menu with a
right-click and the arrow keys, and driven by real clicks and keys, or by
BM_CLICK where a click must be finished before the next look.

Run under scripts/with-wine.sh, or directly:
python3 tests/e2e/test_options.py [-v] [OptionsDialogTests.test_name].
"""

import os
import shutil
import signal
import sys
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))

import harness  # noqa: E402
from harness import (ABOUT_TITLE, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY, CSIDL_SENDTO,  # noqa: E402
                     DIALOG_CLASS, DOCK_CLASS, FLOAT_CLASS, POPUP_MENU_CLASS, REPO, Keyboard,
                     LarkspanTestCase, Mouse, Rect, Registry, button_state, child_windows, click_button,
                     click_dialog_button, make_shortcut, open_popup_menu, read_shortcut, run, same_windows_path,
                     special_folder, stays_true, wait_until,
                     windows_join)
from test_editing import steps_down  # noqa: E402  (the menu's items, from the top)

CATALOGUE = (
    r"[Tools]",
    r"Notepad=C:\windows\notepad.exe",
    r"Calc=C:\windows\system32\calc.exe",
)


OPTIONS_TITLE = "Options"
GENERAL_PAGE = ("Float", "Top", "Bottom", "Left", "Right", "AutoHide mode", "Fixed mode", "Large", "Small")
AUTO_LOAD_PAGE = (" Start Menu Programs", " StartUp Programs", " Favorities", " Network", " Desktop")

RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
START_WITH_WINDOWS = "Start with Windows"
SEND_TO = "Show in the Send To menu"

LOAD_TIMEOUT = 20.0
UI_TIMEOUT = 10.0
# A catalogue whose load takes seconds (pictures come after it).
LONG_IMPORT_SHORTCUTS = 300
SHORTCUTS_PER_GROUP = 10
LONG_LOAD_TIMEOUT = 120.0
ARRANGE_TIMEOUT_MS = 5000

WS_DISABLED = 0x08000000


class BarTestCase(LarkspanTestCase):
    """Starting the bar and choosing from its popup menu."""

    def start_and_wait(self):
        program = self.start_program()
        hwnd = self.wait_bar_window(program)
        wait_until(lambda: self.driver.find_window(title=ABOUT_TITLE) is None, LOAD_TIMEOUT,
                   "the About box to close after the load")
        return program, hwnd

    def tab_strip_spot(self):
        """A point of the floating tab strip right of its last tab."""
        last = self.driver.tabs(cls=FLOAT_CLASS).tabs[-1].rect
        return last.right + 20, last.centre[1]

    def choose(self, caption, spot=None):
        """Right-clicks the tab strip (or the spot) and chooses the menu item
        by keys."""
        open_popup_menu(self.driver, *(spot or self.tab_strip_spot()), timeout=UI_TIMEOUT)
        Keyboard.press(*["Down"] * steps_down(caption), "Return")

    def wait_foreground(self, hwnd, what):
        wait_until(lambda: self.driver.focus().get("foreground") == hwnd, UI_TIMEOUT,
                   f"{what} to have the keyboard")

    def enabled(self, hwnd) -> bool:
        """The window takes input: a modal window of the program disables it."""
        style = self.driver.ok("window-info", "--hwnd", hwnd).split("\t")[4]
        return not int(style, 16) & WS_DISABLED

    def screenshot_noted(self, name):
        shot = self.screenshot(name)
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        return shot


class FirstRunImportTests(BarTestCase):
    """A first run (no catalogue beside the exe) fills the new catalogue from
    the user's and the common desktop folders."""

    SHORTCUTS = (
        # (folder below the desktop, file name, target)
        ("", "Notepad.lnk", r"C:\windows\notepad.exe"),
        ("Tools", "Regedit.lnk", r"C:\windows\regedit.exe"),
    )

    def setUp(self):
        super().setUp()
        self.desktop_win, self.desktop = special_folder(self.driver, CSIDL_DESKTOPDIRECTORY)
        _, common = special_folder(self.driver, CSIDL_COMMON_DESKTOPDIRECTORY)
        # The import reads everything there: anything but ours would change
        # the catalogue. Dot files are hidden from Windows programs.
        self.addCleanup(self.remove_shortcuts)
        self.remove_shortcuts()  # left by an interrupted run
        for folder in (self.desktop, common):
            others = sorted(p.name for p in folder.iterdir() if not p.name.startswith("."))
            self.assertEqual(others, [], f"the desktop folder {folder} is not empty")

    def remove_shortcuts(self):
        for folder, name, _ in self.SHORTCUTS:
            (self.desktop / folder / name).unlink(missing_ok=True)
        shutil.rmtree(self.desktop / "Tools", ignore_errors=True)

    def test_first_run_imports_desktop_shortcuts_into_sections_by_folder(self):
        for folder, name, target in self.SHORTCUTS:
            if folder:
                (self.desktop / folder).mkdir(exist_ok=True)
            make_shortcut(self.driver, windows_join(self.desktop_win, f"{folder}\\{name}" if folder else name),
                          target)
        self.assertFalse(self.catalogue.exists())

        program, bar = self.start_and_wait()
        # A section per folder: the desktop's own title for the shortcut on
        # it, the subfolder's name for the one inside; both desktops are
        # titled "Desktop" under Wine. Wine's profile writer rewrites the
        # whole file, so the created empty line goes with the first entry.
        expected = (b"[Desktop]\r\n"
                    b"Notepad=C:\\windows\\notepad.exe\r\n"
                    b"[Tools]\r\n"
                    b"Regedit=C:\\windows\\regedit.exe\r\n")
        self.assertEqual(self.catalogue.read_bytes(), expected, "the imported catalogue")

        self.assertEqual(self.driver.tabs(cls=FLOAT_CLASS).captions, ["Desktop", "Tools"])
        self.assertIsNone(self.driver.find_window(cls=DOCK_CLASS, hidden=True), "a docked window was made")
        shown = [t for t in self.driver.toolbars(cls=FLOAT_CLASS) if t.visible]
        self.assertEqual([t.button_count for t in shown], [1], "the Desktop section's toolbar")
        self.assertEqual(self.close_bar(program, bar), 0)
        self.assertEqual(self.catalogue.read_bytes(), expected, "the catalogue after the run")


class OptionsDialogTests(BarTestCase):
    """The Options dialog, opened from the menu, changes the bar's mode and
    the settings saved at shutdown."""

    def open_options(self, spot=None):
        """Opens the dialog through the menu; returns its handle."""
        self.choose("Options", spot)
        dialog = self.wait_window("Options dialog after choosing Options",
                                  title=OPTIONS_TITLE, cls=DIALOG_CLASS)
        self.wait_foreground(dialog, "the Options dialog")
        return dialog

    def checked(self, dialog):
        """The captions of the General page's options that are checked."""
        return [c for c in GENERAL_PAGE if button_state(self.driver, dialog, c).checked]

    def wait_checked(self, dialog, expected, what):
        try:
            wait_until(lambda: self.checked(dialog) == expected, UI_TIMEOUT, what)
        except AssertionError as e:
            raise AssertionError(f"{e}: checked {self.checked(dialog)}") from None

    def apply_enabled(self, dialog) -> bool:
        return button_state(self.driver, dialog, "Apply").enabled

    def quit_docked(self, program):
        self.driver.close_window(cls=DOCK_CLASS, hidden=True)
        self.assertEqual(program.wait_exit(self.EXIT_TIMEOUT), 0)

    def shown_toolbar(self):
        shown = [t for t in self.driver.toolbars(cls=FLOAT_CLASS) if t.visible]
        self.assertEqual(len(shown), 1, f"toolbars shown: {shown}")
        return shown[0]

    def test_top_then_ok_docks_the_bar_at_the_top(self):
        self.write_catalogue(*CATALOGUE)
        program, bar = self.start_and_wait()
        # Pictures arrive after the bar shows; the first docked bar shows the same.
        wait_until(lambda: min(self.shown_pictures(FLOAT_CLASS), default=0) >= 0, LOAD_TIMEOUT,
                   "the shown buttons' pictures")
        self.assertIsNone(self.driver.find_window(cls=DOCK_CLASS, hidden=True), "a docked window at the start")
        dialog = self.open_options()
        # A fresh user: floating, fixed, small pictures; nothing to apply yet.
        self.assertEqual(self.checked(dialog), ["Float", "Fixed mode", "Small"])
        self.assertFalse(self.apply_enabled(dialog), "Apply before any change")
        self.assertFalse(self.enabled(bar), "the bar stays usable under the modal dialog")
        self.screenshot_noted("options-dialog")

        click_dialog_button(self.driver, dialog, "Top")
        self.wait_checked(dialog, ["Top", "Fixed mode", "Small"], "Top to be checked")
        self.assertTrue(self.apply_enabled(dialog), "Apply after a change")
        click_dialog_button(self.driver, dialog, "OK")
        self.wait_gone(dialog, "the Options dialog after OK")

        self.wait_docked_window(program, timeout=ARRANGE_TIMEOUT_MS / 1000)
        thickness = 800 // self.twips_per_pixel[1]  # fixed, small pictures
        top = Rect(0, 0, self.screen["width"], thickness)
        self.assertIsNotNone(self.driver.wait_rect(top, ARRANGE_TIMEOUT_MS, cls=DOCK_CLASS),
                             f"docked bar at {self.driver.rect(cls=DOCK_CLASS, hidden=True)}, expected {top}")
        wait_until(lambda: self.driver.find_window(cls=FLOAT_CLASS) is None, ARRANGE_TIMEOUT_MS / 1000,
                   "the floating window to hide")
        # Made only now, it shows the sections and pictures at once.
        self.assert_docked_like_floating()
        self.screenshot_noted("options-first-dock-top")

        # From edge to edge, each one's Options opened on the bar there: the
        # strip right of the tabs, or a column's page below its buttons.
        width, height = self.screen["width"], self.screen["height"]
        thickness_x = 800 // self.twips_per_pixel[0]
        last = self.driver.tabs(cls=DOCK_CLASS).tabs[-1].rect
        spot = (last.right + 20, last.centre[1])
        for caption, code, rect, next_spot in (
                ("Left", "3", Rect(0, 0, thickness_x, height), (thickness_x // 2, height - 20)),
                ("Right", "4", Rect(width - thickness_x, 0, width, height), (width - thickness_x // 2, height - 20)),
                ("Bottom", "2", Rect(0, height - thickness, width, height), None)):
            dialog = self.open_options(spot=spot)
            click_dialog_button(self.driver, dialog, caption)
            self.wait_checked(dialog, [caption, "Fixed mode", "Small"], f"{caption} to be checked")
            click_dialog_button(self.driver, dialog, "OK")
            self.wait_gone(dialog, "the Options dialog after OK")
            self.assertIsNotNone(self.driver.wait_rect(rect, ARRANGE_TIMEOUT_MS, cls=DOCK_CLASS),
                                 f"{caption}: docked bar at {self.driver.rect(cls=DOCK_CLASS, hidden=True)}")
            if next_spot is None:
                last = self.driver.tabs(cls=DOCK_CLASS).tabs[-1].rect
                next_spot = (last.right + 20, last.centre[1])
            spot = next_spot
        dialog = self.open_options(spot=spot)
        click_dialog_button(self.driver, dialog, "Float")
        click_dialog_button(self.driver, dialog, "OK")
        self.wait_gone(dialog, "the Options dialog after OK")
        floating = self.wait_window("the floating window after Float", cls=FLOAT_CLASS)
        wait_until(lambda: self.driver.find_window(cls=DOCK_CLASS) is None, ARRANGE_TIMEOUT_MS / 1000,
                   "the docked bar to hide")
        self.assertEqual(self.close_bar(program, floating), 0)
        settings = Registry.settings()
        self.assertEqual((settings["Position"].data, settings["Autohide"].data, settings["Size"].data),
                         ("5", "False", "1"), "Position, Autohide, Size saved")

    def test_top_apply_then_cancel_stores_the_position_without_moving_the_bar(self):
        self.write_catalogue(*CATALOGUE)
        program, bar = self.start_and_wait()
        before = self.driver.window_rect(bar)
        dialog = self.open_options()
        click_button(self.driver, dialog, "Top")
        self.assertTrue(self.apply_enabled(dialog), "Apply after a change")
        click_dialog_button(self.driver, dialog, "Apply")
        wait_until(lambda: not self.apply_enabled(dialog), UI_TIMEOUT, "Apply to disable itself")
        self.assertEqual(self.checked(dialog), ["Top", "Fixed mode", "Small"])
        # Esc is the dialog's Cancel, also once the clicked Apply is disabled.
        Keyboard.press("Escape")
        gone = self.driver.call("wait-gone", "--hwnd", dialog, "--timeout-ms", str(int(UI_TIMEOUT * 1000)))
        if gone.returncode != 0:
            self.fail(f"Esc left the Options dialog open; the keyboard: {self.driver.focus()}")

        self.assertTrue(self.driver.sync(bar), "the bar does not answer")
        self.assertIsNone(self.driver.find_window(cls=DOCK_CLASS), "Cancel docked the bar")
        self.assertEqual(self.driver.window_rect(bar), before, "Cancel moved the floating window")
        self.assertEqual(self.close_bar(program, bar), 0)
        self.assertEqual(Registry.settings()["Position"].data, "1", "the applied position, saved")

    def test_large_then_ok_takes_effect_at_once_and_stays_for_the_next_start(self):
        self.write_catalogue(*CATALOGUE)
        program, bar = self.start_and_wait()
        small_window = self.driver.window_rect(bar)
        small_buttons = self.shown_toolbar().buttons
        dialog = self.open_options()
        self.assertNotIn("* Aplied after restart", [c.text for c in child_windows(self.driver, dialog)])
        click_button(self.driver, dialog, "Large")
        self.assertEqual(self.checked(dialog), ["Float", "Fixed mode", "Large"])
        click_button(self.driver, dialog, "OK")
        self.wait_gone(dialog, "the Options dialog after OK")

        def large_bar():
            window = self.driver.window_rect(bar)
            if window.height != 1350 // self.twips_per_pixel[1]:
                return None
            buttons = self.shown_toolbar().buttons
            return (window, buttons) if all(32 + 2 <= rect.height <= 32 + 16 for rect in buttons) else None
        large_window, large_buttons = wait_until(large_bar, UI_TIMEOUT, "the large pictures at once")
        self.assertEqual((large_window.left, large_window.top, large_window.width),
                         (small_window.left, small_window.top, small_window.width))
        for n, rect in enumerate(large_buttons, 1):
            self.assertGreater(rect.height, small_buttons[n - 1].height, f"button {n}")
        self.screenshot_noted("options-large-pictures")
        self.assertEqual(self.close_bar(program, bar), 0)
        self.assertEqual(Registry.settings()["Size"].data, "0")

        program, bar = self.start_and_wait()
        self.assertEqual(self.driver.window_rect(bar).height, large_window.height)
        self.assertEqual(self.shown_toolbar().buttons, large_buttons)
        self.assertEqual(self.close_bar(program, bar), 0)

    def test_float_from_a_hidden_top_bar_brings_the_window_back_where_it_floated(self):
        self.write_catalogue(*CATALOGUE)
        tpp_x, tpp_y = self.twips_per_pixel
        Registry.set_settings(Position="1", Autohide="True", Size="1", Left=str(200 * tpp_x), Top=str(300 * tpp_y))
        middle = (self.screen["width"] // 2, self.screen["height"] // 2)
        Mouse.move(*middle)
        program = self.start_program()
        self.wait_docked_window(program)
        wait_until(lambda: self.driver.find_window(title=ABOUT_TITLE) is None, LOAD_TIMEOUT,
                   "the About box to close after the load")
        thickness = 800 // tpp_y
        hidden = Rect(0, -thickness, self.screen["width"], 4)
        self.assertIsNotNone(self.driver.wait_rect(hidden, ARRANGE_TIMEOUT_MS, cls=DOCK_CLASS), "not hidden at start")

        # Revealed under the mouse, its menu, Options, Float.
        Mouse.move(middle[0], 1)
        shown = Rect(0, 0, self.screen["width"], thickness)
        self.assertIsNotNone(self.driver.wait_rect(shown, ARRANGE_TIMEOUT_MS, cls=DOCK_CLASS), "not revealed")
        last = self.driver.tabs(cls=DOCK_CLASS).tabs[-1].rect
        dialog = self.open_options(spot=(last.right + 20, last.centre[1]))
        click_button(self.driver, dialog, "Float")
        click_button(self.driver, dialog, "OK")
        self.wait_gone(dialog, "the Options dialog after OK")

        floating = self.wait_window("the floating window after Float", cls=FLOAT_CLASS)
        rect = self.driver.window_rect(floating)
        self.assertEqual((rect.left, rect.top), (200, 300), f"the floating window at {rect}")
        self.assertTrue(0 <= rect.top and rect.bottom <= self.screen["height"] and 0 <= rect.left
                        and rect.right <= self.screen["width"], f"the floating window {rect} is off the screen")
        wait_until(lambda: self.driver.find_window(cls=DOCK_CLASS) is None, ARRANGE_TIMEOUT_MS / 1000,
                   "the docked bar to hide")
        self.screenshot_noted("options-float-from-hidden-top-bar")
        self.assertEqual(self.close_bar(program, floating), 0)
        settings = Registry.settings()
        self.assertEqual((settings["Position"].data, settings["Left"].data, settings["Top"].data),
                         ("5", str(200 * tpp_x), str(300 * tpp_y)))

    def test_a_click_during_a_long_import_is_held_off(self):
        # An import takes as long as the machine makes it; the test stops the
        # program while its progress window shows, so the clicks wait in its
        # input queue and the import, once the program goes on, meets them.
        # An import that ends before the program is stopped proves nothing:
        # the test starts again with twice the shortcuts.
        self.desktop_win, self.desktop = special_folder(self.driver, CSIDL_DESKTOPDIRECTORY)
        self.addCleanup(self.remove_copies)
        for shortcuts in (LONG_IMPORT_SHORTCUTS, 2 * LONG_IMPORT_SHORTCUTS):
            if self.click_during_an_import(shortcuts):
                return
        self.fail(f"an import of {2 * LONG_IMPORT_SHORTCUTS} shortcuts ended before the program could be stopped")

    def remove_copies(self):
        for group in self.desktop.glob("Group *"):
            shutil.rmtree(group, ignore_errors=True)

    def click_during_an_import(self, shortcuts: int) -> bool:
        """Clicks the bar while Auto Load imports `shortcuts` shortcuts from
        the desktop; False, with the bar closed, when it ended too soon."""
        probe = self.install_probe("probe")
        if probe.log.exists():
            probe.log.unlink()
        programs = 40
        self.write_catalogue("[Tools]", *[f"P{n}={probe.exe_win}" for n in range(programs)],
                             "[Web]", "Home=http://example.invalid/")
        self.remove_copies()
        # In folders: the progress advances folder by folder, and each
        # becomes a section.
        (self.desktop / "Group 0").mkdir()
        first = self.desktop / "Group 0" / "Probe copy 0.lnk"
        make_shortcut(self.driver, windows_join(self.desktop_win, "Group 0\\" + first.name), probe.exe_win)
        for n in range(1, shortcuts):
            group = self.desktop / f"Group {n // SHORTCUTS_PER_GROUP}"
            group.mkdir(exist_ok=True)
            shutil.copyfile(first, group / f"Probe copy {n}.lnk")
        # Below the progress window, which is centred on the screen.
        tpp_x, tpp_y = self.twips_per_pixel
        Registry.set_settings(Left=str(40 * tpp_x), Top=str((self.screen["height"] - 150) * tpp_y))
        program = self.start_program()
        bar = self.wait_bar_window(program)
        wait_until(lambda: self.driver.find_window(title=ABOUT_TITLE) is None, LONG_LOAD_TIMEOUT,
                   "the About box to close after the load")
        self.wait_pictures_stored()
        strip = self.tab_strip_spot()
        button = self.shown_toolbar().buttons[0].centre

        dialog = self.open_options()
        Keyboard.press("ctrl+Tab")
        wait_until(lambda: button_state(self.driver, dialog, " Desktop").visible, UI_TIMEOUT, "the Auto Load page")
        click_button(self.driver, dialog, " Desktop")
        # The progress window shows once an import has taken a quarter second.
        progress = self.driver.find_window(title=ABOUT_TITLE, timeout_ms=int(UI_TIMEOUT * 1000))
        if progress is None:
            return self.too_short(program)
        bar_rect = self.driver.window_rect(bar)
        self.assertGreaterEqual(bar_rect.top, self.driver.window_rect(progress).bottom, "the bar is under the box")
        os.kill(program.process.pid, signal.SIGSTOP)
        try:
            # Stopped, the program cannot end its import: the box still there
            # means the clicks below reach it during the import.
            if self.driver.find_window(title=ABOUT_TITLE) is None:
                os.kill(program.process.pid, signal.SIGCONT)
                return self.too_short(program)
            # The menu and a launch, asked for while the shortcuts are read.
            Mouse.click(*strip, button=3)
            Mouse.click(*button)
            Keyboard.press("ctrl+Tab")
        finally:
            os.kill(program.process.pid, signal.SIGCONT)
        self.assertIsNone(self.driver.find_window(cls=POPUP_MENU_CLASS), "the menu opened inside the import")
        wait_until(lambda: self.driver.find_window(title=ABOUT_TITLE) is None, LONG_LOAD_TIMEOUT,
                   "the import to end")

        # Nothing of it ran afterwards either, and the bar is whole and usable:
        # the catalogue holds the shortcuts, the bar their sections.
        self.wait_pictures_stored()
        self.assertTrue(self.driver.sync(bar), "the bar does not answer after the import")
        self.assertIsNone(self.driver.find_window(cls=POPUP_MENU_CLASS), "the menu opened after the import")
        strip_after = self.driver.tabs(cls=FLOAT_CLASS)
        self.assertEqual((strip_after.captions[:2], strip_after.selected), (["Tools", "Web"], 1))
        groups = (shortcuts + SHORTCUTS_PER_GROUP - 1) // SHORTCUTS_PER_GROUP
        self.assertEqual(len(strip_after.captions), 2 + groups, f"tabs after the import: {strip_after.captions}")
        self.assertEqual(self.catalogue.read_bytes().count(b"Probe copy "), shortcuts, "entries imported")
        self.assertEqual(self.shown_toolbar().button_count, programs)
        self.assertTrue(self.enabled(bar), "the bar stays disabled after the import")
        # A click now launches: once its run and every other of the probe
        # have ended, a launch from the import would have written its line.
        Mouse.click(*button)
        self.assertEqual(len(probe.wait_runs_then_none(1, UI_TIMEOUT)), 1,
                         "a program started from a click during the import")
        self.assertEqual(self.close_bar(program, bar), 0)
        return True

    def wait_pictures_stored(self):
        """The bar's pictures are all in: a bar storing thousands of them
        answers the driver's reads slowly, or not within its wait."""
        def stored():
            try:
                return self.driver.counts(cls=FLOAT_CLASS)["pending"] == 0
            except harness.DriverError:
                return False
        wait_until(stored, LONG_LOAD_TIMEOUT, "the pictures to be stored")

    def too_short(self, program) -> bool:
        program.kill()
        wait_until(lambda: self.driver.find_window(cls=FLOAT_CLASS) is None, UI_TIMEOUT, "the killed bar to go")
        return False

    def test_ctrl_tab_switches_pages_and_wraps(self):
        self.write_catalogue(*CATALOGUE)
        program, bar = self.start_and_wait()
        dialog = self.open_options()

        def page():
            """The page shown, 1 or 2, when the tab strip and every control
            of both pages agree on it; otherwise None."""
            selected = self.driver.tabs(hwnd=dialog).selected
            visible = {c.text: c.visible for c in child_windows(self.driver, dialog)}
            general = {visible.get(c) for c in GENERAL_PAGE}
            auto_load = {visible.get(c) for c in AUTO_LOAD_PAGE}
            if selected == 1 and general == {True} and auto_load == {False}:
                return 1
            if selected == 2 and general == {False} and auto_load == {True}:
                return 2
            return None

        self.assertEqual(self.driver.tabs(hwnd=dialog).captions, ["General", "Sections and Programs"])
        self.assertEqual(page(), 1, "the page shown first")
        Keyboard.press("ctrl+Tab")
        wait_until(lambda: page() == 2, UI_TIMEOUT, "Ctrl+Tab to show Sections and Programs")
        self.assertTrue(button_state(self.driver, dialog, " Desktop").enabled)
        self.screenshot_noted("options-auto-load")
        Keyboard.press("ctrl+Tab")
        wait_until(lambda: page() == 1, UI_TIMEOUT, "Ctrl+Tab on the last tab to wrap to General")

        click_dialog_button(self.driver, dialog, "Cancel")
        self.wait_gone(dialog, "the Options dialog after Cancel")
        self.assertEqual(self.close_bar(program, bar), 0)
        self.assertEqual(Registry.settings()["Position"].data, "5", "Cancel changed the position")

    def test_start_with_windows_and_send_to_are_written_at_apply_and_removed_at_ok(self):
        def run_value():
            return (Registry.query(RUN_KEY) or {}).get("Larkspan")

        send_to_win, send_to = special_folder(self.driver, CSIDL_SENDTO)
        link_win = windows_join(send_to_win, "Larkspan.lnk")

        def close_with(dialog, button):
            click_dialog_button(self.driver, dialog, button)
            self.wait_gone(dialog, f"the Options dialog after {button}")

        remove = ["wine", "reg", "delete", RUN_KEY, "/v", "Larkspan", "/f"]
        run(remove)
        self.addCleanup(run, remove)
        (send_to / "Larkspan.lnk").unlink(missing_ok=True)
        self.addCleanup(lambda: (send_to / "Larkspan.lnk").unlink(missing_ok=True))
        self.write_catalogue(*CATALOGUE)
        program, bar = self.start_and_wait()
        exe_win = windows_join(self.install_dir_win, "larkspan.exe")

        dialog = self.open_options()
        click_button(self.driver, dialog, START_WITH_WINDOWS)
        click_button(self.driver, dialog, SEND_TO)
        close_with(dialog, "Cancel")
        self.assertIsNone(run_value(), "Cancel wrote the Run value")
        self.assertFalse((send_to / "Larkspan.lnk").exists(), "Cancel wrote the Send To shortcut")

        # Apply: the quoted path of this very program; a shortcut adding to it.
        dialog = self.open_options()
        click_button(self.driver, dialog, START_WITH_WINDOWS)
        click_button(self.driver, dialog, SEND_TO)
        click_dialog_button(self.driver, dialog, "Apply")
        wait_until(lambda: not self.apply_enabled(dialog), UI_TIMEOUT, "Apply to disable itself")
        value = run_value().data
        self.assertTrue(value[0] == value[-1] == '"' and same_windows_path(value[1:-1], exe_win),
                        f"Run value {value!r}")
        target, arguments = read_shortcut(self.driver, link_win)
        self.assertTrue(same_windows_path(target, exe_win), f"Send To shortcut to {target!r}")
        self.assertEqual(arguments, "/add")
        self.assertTrue(button_state(self.driver, dialog, START_WITH_WINDOWS).checked)
        self.assertTrue(button_state(self.driver, dialog, SEND_TO).checked)
        self.screenshot_noted("options-start-and-hotkey")
        click_button(self.driver, dialog, START_WITH_WINDOWS)
        click_button(self.driver, dialog, SEND_TO)
        close_with(dialog, "OK")
        self.assertIsNone(run_value(), "OK left the Run value")
        self.assertFalse((send_to / "Larkspan.lnk").exists(), "OK left the Send To shortcut")

        # Another copy's value and shortcut show unticked and stay.
        Registry.add(RUN_KEY, "Larkspan", '"C:\\Other\\larkspan.exe"')
        make_shortcut(self.driver, link_win, r"C:\Other\larkspan.exe", "/add")
        dialog = self.open_options()
        self.assertFalse(button_state(self.driver, dialog, START_WITH_WINDOWS).checked)
        self.assertFalse(button_state(self.driver, dialog, SEND_TO).checked)
        click_button(self.driver, dialog, "Large")
        close_with(dialog, "OK")
        self.assertEqual(run_value().data, '"C:\\Other\\larkspan.exe"')
        self.assertEqual(read_shortcut(self.driver, link_win), (r"C:\Other\larkspan.exe", "/add"))
        self.assertEqual(self.close_bar(program, bar), 0)


class AboutBoxTests(BarTestCase):

    def test_about_box_shows_the_version_and_ok_closes_it(self):
        self.write_catalogue(*CATALOGUE)
        program, bar = self.start_and_wait()
        self.choose("About ...")
        about = self.wait_window(f"{ABOUT_TITLE!r} after choosing About ...", title=ABOUT_TITLE)
        texts = [c.text for c in child_windows(self.driver, about) if c.cls.lower() == "static"]
        self.assertIn(f"Version {harness.project_version()}", texts, "the About box's labels")
        self.assertIn("Larkspan", texts, "the About box's labels")
        self.assertFalse(self.enabled(bar), "the bar stays usable under the modal About box")
        self.screenshot_noted("about-box")

        click_dialog_button(self.driver, about, "OK")
        self.wait_gone(about, "the About box after OK")
        self.assertTrue(self.driver.sync(bar), "the bar does not answer")
        wait_until(lambda: self.enabled(bar), UI_TIMEOUT, "the bar to be enabled again")
        self.assertEqual(self.close_bar(program, bar), 0)


if __name__ == "__main__":
    harness.main()
