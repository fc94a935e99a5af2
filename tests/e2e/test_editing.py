#!/usr/bin/env python3
"""End-to-end tests of editing the catalogue through the popup menu, with
real input: right-clicks open the menu, arrow keys, Enter and a click choose
its items, the input boxes and the file dialog are typed into, questions are
answered with clicks. Each step is checked on both bar windows and in the
catalogue file's bytes; a restart reads back what the edits left.

Run under scripts/with-wine.sh, or directly:
python3 tests/e2e/test_editing.py [-v] [EditingTests.test_name].
"""

import shutil
import sys
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))

import harness  # noqa: E402
from harness import (ABOUT_TITLE, DIALOG_CLASS, DOCK_CLASS, FLOAT_CLASS, POPUP_MENU_CLASS,  # noqa: E402
                     SETTING_NAMES, TITLE, Keyboard, LarkspanTestCase, Mouse, Registry,
                     child_windows, click_dialog_button, enter_text, open_popup_menu,
                     wait_until, windows_join)

CATALOGUE = (
    r"[Tools]",
    r"Notepad=C:\windows\notepad.exe",
)

# The menu's items from the top. Down from no selection goes to the first
# item, then on to the next one that is not a separator: headers and
# disabled items take a step too, but cannot be chosen.
MENU = ("Visibility", "AutoHide", "Fixed", "Sections", "Add Section", "Delete Section", "-",
        "Add Program", "Delete Program", "Edit", "Rename\u2026", "Properties\u2026", "Open file location",
        "Run as administrator", "Rename Section\u2026", "General", "About ...", "Options", "-", "Exit")
MENU_ITEM_HEIGHT = 22  # pixels, each item but a separator

PROGRAM_FILE = "My Tool.exe"  # a space in the name: the catalogue keeps it unquoted
CAPTION = "MyTool"
INPUT_BOX_CLASS = "LarkspanInputBox"

LOAD_TIMEOUT = 20.0
UI_TIMEOUT = 10.0


def steps_down(caption: str) -> int:
    """Down presses from no selection to the item."""
    return sum(1 for item in MENU[:MENU.index(caption) + 1] if item != "-")


def shown(toolbars):
    return [t for t in toolbars if t.visible]


class EditingTests(LarkspanTestCase):

    def setUp(self) -> None:
        super().setUp()
        if not self.config.probe.is_file():
            raise AssertionError(f"{self.config.probe} is missing: build the windows preset first")
        # A program with an icon of its own, beside the bar.
        shutil.copy2(self.config.probe, self.install_dir / PROGRAM_FILE)
        self.program_win = windows_join(self.install_dir_win, PROGRAM_FILE)

    # -- the bar --

    def start_and_wait(self):
        program = self.start_program()
        hwnd = self.wait_bar_window(program)
        wait_until(lambda: self.driver.find_window(title=ABOUT_TITLE) is None, LOAD_TIMEOUT,
                   "the About box to close after the load")
        return program, hwnd

    def tab_captions(self):
        """The tab captions of the floating window. The docked window is
        made only when the bar first docks: test_arranging shows it then
        with what the floating window shows."""
        return self.driver.tabs(cls=FLOAT_CLASS).captions

    def shown_toolbar(self):
        """The floating window's shown toolbar."""
        floating = shown(self.driver.toolbars(cls=FLOAT_CLASS))
        self.assertEqual(len(floating), 1, "toolbars shown")
        return floating[0]

    def button_counts(self):
        return self.shown_toolbar().button_count

    def assert_bar(self, tabs, buttons, what):
        """The bar shows these tabs, and its shown toolbar holds `buttons`
        buttons; no docked window was made."""
        self.assertEqual(self.tab_captions(), tabs, f"tabs {what}")
        self.assertEqual(self.button_counts(), buttons, f"buttons of the shown toolbar {what}")
        self.assertIsNone(self.driver.find_window(cls=DOCK_CLASS, hidden=True), f"a docked window {what}")

    def assert_catalogue(self, expected: bytes, what):
        self.assertEqual(self.catalogue.read_bytes(), expected, f"catalogue {what}")

    def settle(self, bar):
        """Returns once the command has run to its end: the bar's thread is
        back to taking messages."""
        self.assertTrue(self.driver.sync(bar), "the bar does not answer")

    def blank_spot(self, toolbar):
        """A point of the toolbar right of its last button."""
        right = toolbar.buttons[-1].right if toolbar.buttons else toolbar.rect.left
        self.assertLess(right + 20, toolbar.rect.right, f"no room right of the buttons: {toolbar}")
        return right + 20, toolbar.rect.centre[1]

    def tab_strip_spot(self):
        """A point of the floating tab strip right of its last tab."""
        last = self.driver.tabs(cls=FLOAT_CLASS).tabs[-1].rect
        return last.right + 20, last.centre[1]

    # -- the menu, boxes and dialogs --

    def choose(self, at, caption):
        """Opens the menu with a right-click at `at` and chooses the item
        with the arrow keys and Enter."""
        open_popup_menu(self.driver, *at, timeout=UI_TIMEOUT)
        Keyboard.press(*["Down"] * steps_down(caption), "Return")

    def input_box(self, title, prompt, default):
        """Waits for the input box; checks its prompt and default text."""
        box = self.wait_window("input box", title=title, cls=INPUT_BOX_CLASS)
        children = child_windows(self.driver, box)
        self.assertIn(prompt, [c.text for c in children if c.cls.lower() == "static"], f"prompt of {title!r}")
        self.assertEqual([c.text for c in children if c.cls.lower() == "edit"], [default],
                         f"default text of {title!r}")
        return box

    def answer(self, title, text, button, bar):
        """Waits for the message box, checks its text, clicks `button` and
        waits for the command to finish."""
        box = self.driver.find_window(title=title, cls=DIALOG_CLASS, timeout_ms=int(UI_TIMEOUT * 1000))
        self.assertIsNotNone(box, f"no message box {title!r}\n{self.describe_screen()}")
        done = self.driver.call("msgbox-text", "--hwnd", box)
        self.assertEqual((done.returncode, harness.text(done.stdout)), (0, text + "\n"),
                         f"message box {title!r}\n{self.describe_screen()}")
        click_dialog_button(self.driver, box, button)
        self.wait_gone(box)
        self.settle(bar)

    # -- tests --

    def test_sections_and_programs_round_trip(self):
        start = self.write_catalogue(*CATALOGUE)
        program, bar = self.start_and_wait()
        self.assert_bar(["Tools"], 1, "at the start")
        tools = self.shown_toolbar()

        # The menu on a toolbar, with "Add Program" ready to go.
        open_popup_menu(self.driver, *self.blank_spot(tools), timeout=UI_TIMEOUT)
        shot = self.screenshot("menu-open")
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        Keyboard.press("Escape")
        self.assertEqual(self.driver.call("wait-gone", "--class", POPUP_MENU_CLASS).returncode, 0,
                         "Escape left the menu open")

        # Add Section: a bare header at the end of the file, a tab at the end
        # of the bar. Games is deleted further on; Web stays for the restart.
        headers = b""
        tabs = ["Tools"]
        for name in ("Games", "Web"):
            self.choose(self.blank_spot(tools), "Add Section")
            box = self.input_box("New Tab", "Create new Tab", "")
            enter_text(self.driver, box, name)
            self.wait_gone(box)
            self.settle(bar)
            headers += f"[{name}]\r\n".encode("cp1252")
            tabs.append(name)
            self.assert_catalogue(start + headers, f"after adding the section {name}")
            self.assert_bar(tabs, 1, f"after adding the section {name}")

        # Add Program on the Tools toolbar: the file dialog, then the caption.
        self.choose(self.blank_spot(tools), "Add Program")
        dialog = self.wait_window("file dialog", title="Select file", cls=DIALOG_CLASS)
        filters = [c.text for c in child_windows(self.driver, dialog) if c.cls.lower() == "combobox"]
        self.assertIn("Exe files", filters, "the file dialog's file type")
        shot = self.screenshot("editing-file-dialog")
        print(f"[e2e] screenshot: {shot}", file=sys.stderr)
        enter_text(self.driver, dialog, self.program_win)
        self.wait_gone(dialog)
        box = self.input_box("Create button", "Create caption for button", self.program_win)
        enter_text(self.driver, box, CAPTION)
        self.wait_gone(box)
        self.settle(bar)
        program_line = f"{CAPTION}={self.program_win}\r\n".encode("cp1252")
        self.assert_catalogue(start + program_line + headers, "after adding MyTool")
        self.assert_bar(tabs, 2, "after adding MyTool")
        tools = self.shown_toolbar()
        # At the end of the toolbar, named by its tooltip.
        new_button = tools.buttons[-1]
        self.assertGreater(new_button.left, tools.buttons[0].left, f"buttons {tools.buttons}")
        Mouse.move(*new_button.centre)
        self.assertEqual(self.driver.tooltips(timeout_ms=int(UI_TIMEOUT * 1000)), [CAPTION],
                         "tooltip of the new button")
        shot = self.screenshot("editing-program-added")
        print(f"[e2e] screenshot: {shot}", file=sys.stderr)

        # Delete Program on that button: its line goes, every other byte stays.
        self.choose(new_button.centre, "Delete Program")
        self.answer("Deleting program", f"Delete program: {CAPTION}?", "OK", bar)
        self.assert_catalogue(start + headers, "after deleting MyTool")
        self.assert_bar(tabs, 1, "after deleting MyTool")

        # Delete Section on the Games tab: the tab behind it moves up.
        games = self.driver.tabs(cls=FLOAT_CLASS).tabs[1]
        Mouse.click(*games.rect.centre)
        wait_until(lambda: self.driver.tabs(cls=FLOAT_CLASS).selected == 2, UI_TIMEOUT,
                   "the Games tab to be selected")
        self.choose(self.tab_strip_spot(), "Delete Section")
        self.answer("Deleting section", "Delete section: Games?", "OK", bar)
        after_deletions = start + b"[Web]\r\n"
        self.assert_catalogue(after_deletions, "after deleting the section Games")
        self.assertEqual(self.tab_captions(), ["Tools", "Web"], "tabs after deleting Games")

        # Back on Tools, then Exit, chosen with the mouse: the menu's last item.
        Mouse.click(*self.driver.tabs(cls=FLOAT_CLASS).tabs[0].rect.centre)
        wait_until(lambda: shown(self.driver.toolbars(cls=FLOAT_CLASS)), UI_TIMEOUT,
                   "the Tools toolbar to show")
        before_exit = (self.tab_captions(), self.button_counts())
        tools = self.shown_toolbar()
        _, menu = open_popup_menu(self.driver, *self.blank_spot(tools), timeout=UI_TIMEOUT)
        Mouse.click(menu.centre[0], menu.bottom - MENU_ITEM_HEIGHT // 2 - 3)
        self.assertEqual(program.wait_exit(self.EXIT_TIMEOUT), 0, "exit code after Exit")
        self.assertIsNone(self.driver.find_window(title=TITLE), "a bar window outlived Exit")
        settings = Registry.settings() or {}
        self.assertEqual(sorted(settings), sorted(SETTING_NAMES), "settings saved by Exit")
        self.assert_catalogue(after_deletions, "after Exit")

        # A restart reads back the same bar.
        program, bar = self.start_and_wait()
        self.assertEqual((self.tab_captions(), self.button_counts()), before_exit, "the bar after a restart")
        self.assertEqual(self.close_bar(program, bar), 0)

    def test_refused_cancelled_and_disabled_choices_change_nothing(self):
        written = self.write_catalogue(*CATALOGUE)
        program, bar = self.start_and_wait()
        tools = self.shown_toolbar()
        notepad = tools.buttons[0]

        # A section name already on a tab is refused.
        self.choose(self.blank_spot(tools), "Add Section")
        box = self.input_box("New Tab", "Create new Tab", "")
        enter_text(self.driver, box, "Tools")
        self.answer("Create tab", "Tab already exist!", "OK", bar)
        self.assert_bar(["Tools"], 1, "after the refused name")
        self.assert_catalogue(written, "after the refused name")

        # Cancel in either deletion question keeps everything.
        self.choose(self.blank_spot(tools), "Delete Section")
        self.answer("Deleting section", "Delete section: Tools?", "Cancel", bar)
        self.choose(notepad.centre, "Delete Program")
        self.answer("Deleting program", "Delete program: Notepad?", "Cancel", bar)
        self.assert_bar(["Tools"], 1, "after cancelled deletions")
        self.assert_catalogue(written, "after cancelled deletions")

        # On the tab strip "Add Program" is disabled: Enter on it closes the
        # menu without running it. Had it run, its file dialog would hold the
        # bar, and the next right-click would open no menu.
        self.choose(self.tab_strip_spot(), "Add Program")
        self.assertEqual(self.driver.call("wait-gone", "--class", POPUP_MENU_CLASS).returncode, 0,
                         "the menu stayed open after Enter")
        self.choose(self.blank_spot(tools), "Delete Section")
        self.answer("Deleting section", "Delete section: Tools?", "Cancel", bar)
        self.assertIsNone(self.driver.find_window(title="Select file"), "Add Program ran from the tab strip")
        open_popup_menu(self.driver, *self.tab_strip_spot(), timeout=UI_TIMEOUT)
        shot = self.screenshot("editing-tab-strip-menu")
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        Keyboard.press("Escape")
        self.assertEqual(self.driver.call("wait-gone", "--class", POPUP_MENU_CLASS).returncode, 0,
                         "Escape left the menu open")
        self.assert_bar(["Tools"], 1, "after the disabled items")

        # Names as the file sees them: "tools" is [Tools] in any letter case,
        # and "notepad" is Notepad, whose target adding it would overwrite.
        self.choose(self.blank_spot(tools), "Add Section")
        box = self.input_box("New Tab", "Create new Tab", "")
        enter_text(self.driver, box, "tools")
        self.answer("Create tab", "Tab already exist!", "OK", bar)
        self.add_program(self.blank_spot(tools), "notepad")
        self.answer("Add button", "Button already exist!", "OK", bar)
        self.assert_bar(["Tools"], 1, "after the names taken in another letter case")
        self.assert_catalogue(written, "after the names taken in another letter case")

        # A read-only catalogue: Add Program says so and changes nothing,
        # on the bar and after a restart.
        self.catalogue.chmod(0o444)
        self.add_program(self.blank_spot(tools), CAPTION)
        self.answer(harness.TITLE, f"Cannot save {self.catalogue_win}. Permission denied (70).", "OK", bar)
        self.assert_bar(["Tools"], 1, "after the refused save")
        self.assertEqual(self.close_bar(program, bar), 0)
        self.assert_catalogue(written, "after the refused save")
        program, bar = self.start_and_wait()
        self.assert_bar(["Tools"], 1, "after a restart")
        self.assertEqual(self.close_bar(program, bar), 0)

    def test_an_edit_after_a_change_by_another_program_keeps_both(self):
        start = self.write_catalogue(*CATALOGUE)
        program, bar = self.start_and_wait()
        tools = self.shown_toolbar()
        # Another program adds a section, the bar shows it, the user adds one.
        outside = start + b"[Games]\r\n"
        self.catalogue.write_bytes(outside)
        wait_until(lambda: self.tab_captions() == ["Tools", "Games"], LOAD_TIMEOUT, "the section added outside")
        before = self.driver.measures(cls=FLOAT_CLASS)
        self.add_section(tools, "Web", bar)
        self.assert_catalogue(outside + b"[Web]\r\n", "after the edit")
        self.assert_bar(["Tools", "Games", "Web"], 1, "after the edit")

        # The bar's own saves reload nothing: its look at the file after each
        # finds what it shows.
        self.add_section(tools, "Music", bar)
        wait_until(lambda: self.driver.measures(cls=FLOAT_CLASS)["catalogue-checks"] >= before["catalogue-checks"] + 2,
                   LOAD_TIMEOUT, "the looks at the bar's own saves")
        after = self.driver.measures(cls=FLOAT_CLASS)
        self.assertEqual(after["catalogue-reloads"], before["catalogue-reloads"], "reloads after the bar's saves")
        self.assert_catalogue(outside + b"[Web]\r\n[Music]\r\n", "after the second edit")
        self.assertEqual(self.close_bar(program, bar), 0)

    def test_names_outside_the_code_page_survive_a_restart(self):
        # An ASCII catalogue in a layout of its own is left byte for byte.
        start = self.write_catalogue("; my bar", "[Tools]", "Notepad = C:\\windows\\notepad.exe", "")
        program, bar = self.start_and_wait()
        self.assertEqual(self.close_bar(program, bar), 0)
        self.assert_catalogue(start, "after a start and a close")
        use_unicode_fonts(self)

        # A plain name keeps the file ANSI: one line added, the rest as it was.
        program, bar = self.start_and_wait()
        tools = self.shown_toolbar()
        self.add_section(tools, "Games", bar)
        ascii_edit = start + b"[Games]\r\n"
        self.assert_catalogue(ascii_edit, "after adding Games")

        # Chinese and emoji names: the file turns UTF-16LE, once, the ANSI
        # bytes kept as the backup.
        section, file_name, caption = "工具 ☕", "笔记🚀.exe", "笔记 ☕"
        probe = self.install_probe("unicode")
        target = probe.exe.parent / file_name
        probe.exe.rename(target)
        probe = harness.Probe(target, harness.wine_path(target))
        self.add_section(tools, section, bar)
        self.assertEqual(self.backup.read_bytes(), ascii_edit, "the backup after the conversion")
        self.select_tab(3)
        toolbar = self.shown_toolbar()
        self.add_program(self.blank_spot_or_left(toolbar), caption, probe.exe_win)
        self.settle(bar)
        text = (start + b"[Games]\r\n").decode("cp1252") + f"[{section}]\r\n{caption}={probe.exe_win}\r\n"
        self.assert_catalogue(b"\xff\xfe" + text.encode("utf-16-le"), "after adding the program")
        self.assertEqual(self.backup.read_bytes(), b"\xff\xfe" + (start.decode("cp1252") + "[Games]\r\n"
                                                               f"[{section}]\r\n").encode("utf-16-le"),
                         "the backup: the state before the last command")
        self.assertEqual(self.close_bar(program, bar), 0)

        # After a restart: the tab, the tooltip, and a click starts the file.
        program, bar = self.start_and_wait()
        self.assertEqual(self.tab_captions(), ["Tools", "Games", section])
        self.select_tab(3)
        toolbar = self.shown_toolbar()
        self.assertEqual(toolbar.button_count, 1)
        Mouse.move(*toolbar.buttons[0].centre)
        self.assertEqual(self.driver.tooltips(timeout_ms=int(UI_TIMEOUT * 1000)), [caption], "tooltip")
        shot = self.screenshot("editing-unicode-names")
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        Mouse.click(*toolbar.buttons[0].centre)
        self.assertEqual(probe.wait_runs(1, UI_TIMEOUT), [b""], "the probe's run")
        self.assertEqual(self.close_bar(program, bar), 0)

    # -- steps shared by the tests above --

    @property
    def backup(self) -> Path:
        return self.catalogue.with_name(self.catalogue.name + ".bak")

    def add_section(self, toolbar, name, bar):
        self.choose(self.blank_spot_or_left(toolbar), "Add Section")
        box = self.input_box("New Tab", "Create new Tab", "")
        harness.enter_unicode_text(self.driver, box, name)
        self.wait_gone(box)
        self.settle(bar)

    def add_program(self, at, caption, file_win=None):
        """Add Program at `at`: the file dialog takes the file, the caption
        box the caption."""
        file_win = file_win or self.program_win
        self.choose(at, "Add Program")
        dialog = self.wait_window("file dialog", title="Select file", cls=DIALOG_CLASS)
        harness.enter_unicode_text(self.driver, dialog, file_win)
        self.wait_gone(dialog)
        box = self.input_box("Create button", "Create caption for button", file_win)
        harness.enter_unicode_text(self.driver, box, caption)
        self.wait_gone(box)

    def select_tab(self, position):
        tab = self.driver.tabs(cls=FLOAT_CLASS).tabs[position - 1]
        Mouse.click(*tab.rect.centre)
        wait_until(lambda: self.driver.tabs(cls=FLOAT_CLASS).selected == position, UI_TIMEOUT,
                   f"tab {position} to be selected")

    def blank_spot_or_left(self, toolbar):
        """Right of the last button, or near the left of an empty toolbar."""
        if toolbar.buttons:
            return self.blank_spot(toolbar)
        return toolbar.rect.left + 20, toolbar.rect.centre[1]


FONT_REPLACEMENTS = r"HKCU\Software\Wine\Fonts\Replacements"
FONT_LINKS = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink"


def use_unicode_fonts(test):
    """Lets Wine draw Chinese and the emoji of the BMP in the bar's message
    font, for programs started from now to the end of the test: Tahoma is
    replaced by a font with CJK glyphs, linked to Symbola. Wine's GDI draws
    no character beyond the BMP, so names shown on screen use an emoji of
    the BMP; the file round trip covers one beyond it."""
    settings = ((FONT_REPLACEMENTS, "Tahoma", ["/d", "WenQuanYi Micro Hei"]),
                (FONT_LINKS, "WenQuanYi Micro Hei", ["/t", "REG_MULTI_SZ", "/d", "Symbola_hint.ttf,Symbola"]))
    for key, name, data in settings:
        done = harness.run(["wine", "reg", "add", key, "/v", name, *data, "/f"], timeout=60)
        test.assertEqual(done.returncode, 0, f"reg add {key} {name}: {harness.text(done.stderr)}")
        test.addCleanup(harness.run, ["wine", "reg", "delete", key, "/v", name, "/f"], timeout=60)


if __name__ == "__main__":
    harness.main()
