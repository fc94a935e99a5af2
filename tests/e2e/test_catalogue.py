#!/usr/bin/env python3
"""End-to-end tests of reading the catalogue at start-up: the tabs and
toolbars of the floating window, choosing a tab with the mouse, button
tooltips, and a catalogue that cannot be read to its end; and of the running
bar following its file as other programs change it: replaced by rename,
written in place, broken and mended.

Each test writes its own zentrol.ini beside a fresh copy of larkspan.exe.
Run under scripts/with-wine.sh, or directly:
python3 tests/e2e/test_catalogue.py [-v] [CatalogueTests.test_name].
"""

import os
import re
import sys
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))

import harness  # noqa: E402
from harness import (ABOUT_TITLE, DIALOG_CLASS, DOCK_CLASS, FLOAT_CLASS, TITLE,  # noqa: E402
                     LarkspanTestCase, Mouse, wait_until)

# Hand-written, as a user might: an entry before any header, a quoted value
# with arguments, a header-like line with a trailing blank (not a header, so
# the entry after it still belongs to Web), a section with an empty name
# whose entries are dropped, a folder without any ".".
CATALOGUE = (
    r"Orphan=C:\windows\notepad.exe",
    r"[Tools]",
    r"Notepad=C:\windows\notepad.exe",
    r'Notes="C:\Program Files\Editor\edit.exe" /r C:\notes.txt',
    r"Calc=C:\windows\system32\calc.exe",
    r"",
    r"just a line without an equals sign",
    r"[Web]",
    r"Home=http://example.invalid/",
    r"[Tools] ",
    r"Search=C:\windows\system32\find.exe",
    r"[]",
    r"Hidden=C:\windows\notepad.exe",
    r"[Docs]",
    r"Users=C:\users",
)
SECTIONS = ["Tools", "Web", "", "Docs"]
BUTTON_COUNTS = [3, 2, 0, 1]
WEB_TOOLTIPS = ["Home", "Search"]

# The third line of the broken file opens a quote and never closes it. It
# follows its header directly, so no earlier entry's error mode can hide it.
BROKEN_CATALOGUE = (
    r"[Tools]",
    r"Notepad=C:\windows\notepad.exe",
    r"Calc=C:\windows\system32\calc.exe",
    r"[Web]",
    r'Broken="C:\Program Files\unclosed.exe /x',
    r"Home=http://example.invalid/",
    r"[Docs]",
    r"Users=C:\users",
)

# The same file as another program changes it: a section before Web, so
# that Web moves along and must stay the section shown.
FOLLOWED = (
    r"[Tools]",
    r"Notepad=C:\windows\notepad.exe",
    r"[Web]",
    r"Home=http://example.invalid/",
    r"Search=http://search.invalid/",
)

LOAD_TIMEOUT = 20.0
CLICK_TIMEOUT = 10.0
TOOLTIP_TIMEOUT_MS = 10000


def shown(toolbars):
    """The toolbars that are themselves visible. Only these are sure to be
    controls holding their buttons: a hidden section's toolbar may exist only
    in the program's memory until it is first shown."""
    return [t for t in toolbars if t.visible]


class CatalogueTests(LarkspanTestCase):

    def start_and_wait(self):
        program = self.start_program()
        hwnd = self.wait_bar_window(program)
        wait_until(lambda: self.driver.find_window(title=ABOUT_TITLE) is None, LOAD_TIMEOUT,
                   "the About box to close after the load")
        return program, hwnd

    def assert_tabs(self, sections, selected=1):
        """The floating window carries one tab per section in file order; the
        docked window is made only when the bar first docks (test_docking
        shows it then with the same content)."""
        strip = self.driver.tabs(cls=FLOAT_CLASS)
        self.assertEqual(strip.captions, sections, "tab captions of the floating window")
        self.assertEqual(strip.selected, selected, "selected tab of the floating window")
        self.assertIsNone(self.driver.find_window(cls=DOCK_CLASS, hidden=True), "a docked window was made")

    def assert_one_toolbar_shown(self, buttons, **select):
        toolbars = shown(self.driver.toolbars(**select))
        self.assertEqual(len(toolbars), 1, f"toolbars shown in {select}: {toolbars}")
        self.assertEqual(toolbars[0].button_count, buttons, f"buttons of the toolbar shown in {select}")
        return toolbars[0]

    def click_tab(self, position, buttons, previous):
        """Clicks the floating window's tab and waits until its section's
        toolbar, holding `buttons` buttons, is the only one shown and is not
        the `previous` one."""
        strip = self.driver.tabs(cls=FLOAT_CLASS)
        Mouse.click(*strip.tabs[position - 1].rect.centre)

        def switched():
            now = shown(self.driver.toolbars(cls=FLOAT_CLASS))
            if (len(now) == 1 and now[0].hwnd != previous.hwnd
                    and now[0].button_count == buttons):
                return now[0]
            return None

        try:
            toolbar = wait_until(switched, CLICK_TIMEOUT,
                                 f"tab {position}'s toolbar ({buttons} buttons) alone to show")
        except AssertionError as e:
            raise AssertionError(f"{e}; toolbars now: {self.driver.toolbars(cls=FLOAT_CLASS)}") from None
        self.assertEqual(self.driver.tabs(cls=FLOAT_CLASS).selected, position)
        return toolbar

    # -- a catalogue read to its end --

    def test_sections_become_tabs_on_both_windows(self):
        self.write_catalogue(*CATALOGUE)
        program, hwnd = self.start_and_wait()
        self.assert_tabs(SECTIONS)

        # The first section's toolbar alone is shown.
        first = self.assert_one_toolbar_shown(BUTTON_COUNTS[0], cls=FLOAT_CLASS)

        # It lies inside the floating window, below the tabs, its buttons in
        # a row from the left.
        window = self.driver.window_rect(hwnd)
        tabs_bottom = max(t.rect.bottom for t in self.driver.tabs(cls=FLOAT_CLASS).tabs)
        self.assertGreaterEqual(first.rect.top, tabs_bottom - 1, f"toolbar {first.rect}")
        for rect in (first.rect, *first.buttons):
            self.assertTrue(window.left <= rect.left and rect.right <= window.right
                            and window.top <= rect.top and rect.bottom <= window.bottom,
                            f"{rect} lies outside the window {window}")
        lefts = [b.left for b in first.buttons]
        self.assertEqual(lefts, sorted(set(lefts)), f"buttons {first.buttons}")
        self.assertEqual(self.close_bar(program, hwnd), 0)

    def test_clicking_tabs_shows_their_toolbars_and_tooltips_name_entries(self):
        self.write_catalogue(*CATALOGUE)
        program, hwnd = self.start_and_wait()
        tools = self.assert_one_toolbar_shown(BUTTON_COUNTS[0], cls=FLOAT_CLASS)

        web = self.click_tab(2, BUTTON_COUNTS[1], previous=tools)
        shot = self.screenshot("catalogue-second-tab")
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)

        # Resting on the Web toolbar's first button shows its entry's name.
        Mouse.move(*web.buttons[0].centre)
        tips = self.driver.tooltips(timeout_ms=TOOLTIP_TIMEOUT_MS)
        self.screenshot("catalogue-tooltip")
        self.assertEqual(tips, [WEB_TOOLTIPS[0]], "tooltip over the first Web button")

        # The empty-named section keeps its tab and toolbar but no entries;
        # the rest follow their tabs, back to the first.
        empty = self.click_tab(3, BUTTON_COUNTS[2], previous=web)
        docs = self.click_tab(4, BUTTON_COUNTS[3], previous=empty)
        again = self.click_tab(1, BUTTON_COUNTS[0], previous=docs)
        self.assertEqual(again.hwnd, tools.hwnd, "the first tab shows another toolbar")

        self.assertIsNone(self.driver.find_window(cls=DOCK_CLASS, hidden=True), "a docked window was made")
        self.assertEqual(self.close_bar(program, hwnd), 0)

    # -- a catalogue that stops the load --

    def test_unclosed_quote_reports_and_keeps_what_came_before(self):
        written = self.write_catalogue(*BROKEN_CATALOGUE)
        program = self.start_program()
        box = self.driver.msgbox_text(TITLE, timeout_ms=int(self.START_TIMEOUT * 1000))
        self.assertIsNotNone(box, f"no message box titled {TITLE!r}\n{self.describe_screen()}")
        shot = self.screenshot("catalogue-unclosed-quote")
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        # "5:<description>", an empty line, "<description> (5)."
        match = re.fullmatch(r"5:(.+)\n\n(.+) \(5\)\.", box)
        self.assertIsNotNone(match, f"message box text {box!r}")
        self.assertEqual(match.group(1), match.group(2), f"message box text {box!r}")

        self.driver.press_ok(TITLE)
        hwnd = self.wait_bar_window(program)
        wait_until(lambda: self.driver.find_window(title=ABOUT_TITLE) is None, LOAD_TIMEOUT,
                   "the About box to close after the load")
        self.assertIsNone(self.driver.find_window(title=TITLE, cls=DIALOG_CLASS),
                          "a second message box followed")
        # Everything up to the broken line, nothing of it or after it.
        self.assert_tabs(["Tools", "Web"])
        tools = self.assert_one_toolbar_shown(2, cls=FLOAT_CLASS)
        self.click_tab(2, 0, previous=tools)
        self.assertEqual(self.close_bar(program, hwnd), 0)
        self.assertEqual(self.catalogue.read_bytes(), written, "the catalogue was changed")


    # -- the file changed while the bar runs --

    def counts(self):
        return self.driver.measures(cls=FLOAT_CLASS)

    def replace_catalogue(self, *lines):
        """Saves as an editor does: a new file, renamed over the old one."""
        data = b"".join(line.encode("cp1252") + b"\r\n" for line in lines)
        new = self.catalogue.with_name("zentrol.ini.tmp")
        new.write_bytes(data)
        os.replace(new, self.catalogue)
        return data

    def wait_tabs(self, sections, selected, what):
        def there():
            strip = self.driver.tabs(cls=FLOAT_CLASS)
            return strip.captions == sections and strip.selected == selected
        try:
            wait_until(there, LOAD_TIMEOUT, what)
        except AssertionError as e:
            raise AssertionError(f"{e}; tabs now {self.driver.tabs(cls=FLOAT_CLASS)}") from None
        # The docked window shows the same model once made; a reload makes none.
        self.assertIsNone(self.driver.find_window(cls=DOCK_CLASS, hidden=True), "a docked window was made")

    def test_changes_by_other_programs_show_on_the_running_bar(self):
        self.write_catalogue(*FOLLOWED)
        program, hwnd = self.start_and_wait()
        tools = self.assert_one_toolbar_shown(1, cls=FLOAT_CLASS)
        self.click_tab(2, 2, previous=tools)
        before = self.counts()

        # Replaced whole, by rename: Web stays the section shown, by its name.
        written = self.replace_catalogue(*FOLLOWED[:2], "[Games]", r"Chess=C:\games\chess.exe", *FOLLOWED[2:])
        self.wait_tabs(["Tools", "Games", "Web"], 3, "the replaced file's sections, Web still shown")
        self.assert_one_toolbar_shown(2, cls=FLOAT_CLASS)
        # Written in place, as a script appends to it.
        with open(self.catalogue, "ab") as file:
            file.write(b"[Music]\r\nPlayer=C:\\music\\play.exe\r\n")
        self.wait_tabs(["Tools", "Games", "Web", "Music"], 3, "the appended section")
        shot = self.screenshot("catalogue-followed")
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        after = self.counts()
        self.assertEqual(after["catalogue-reloads"] - before["catalogue-reloads"], 2, f"reloads {before} {after}")
        self.assertEqual(self.close_bar(program, hwnd), 0)
        self.assertEqual(self.catalogue.read_bytes(),
                         written + b"[Music]\r\nPlayer=C:\\music\\play.exe\r\n", "the bar wrote the catalogue")

    def test_a_broken_file_leaves_the_bar_is_reported_once_and_the_next_good_one_loads(self):
        self.write_catalogue(*FOLLOWED)
        program, hwnd = self.start_and_wait()
        self.replace_catalogue(*FOLLOWED[:3], r'Home="C:\Program Files\unclosed.exe /x')
        box = self.driver.msgbox_text(TITLE, timeout_ms=int(LOAD_TIMEOUT * 1000))
        self.assertIsNotNone(box, f"no message box titled {TITLE!r}\n{self.describe_screen()}")
        shot = self.screenshot("catalogue-followed-broken")
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        self.assertIn("Line 4 opens a quote that is not closed.", box)
        self.assertIn(self.catalogue_win, box)
        self.driver.press_ok(TITLE)
        self.assert_tabs(["Tools", "Web"])

        # Still broken after another write: the look is taken, no second message.
        looked = self.counts()["catalogue-checks"]
        with open(self.catalogue, "ab") as file:
            file.write(b"[Half]\r\n")
        wait_until(lambda: self.counts()["catalogue-checks"] > looked
                   or self.driver.find_window(title=TITLE, cls=DIALOG_CLASS), LOAD_TIMEOUT,
                   "the look at the second broken file")
        self.assertIsNone(self.driver.find_window(title=TITLE, cls=DIALOG_CLASS), "a second message")
        self.assert_tabs(["Tools", "Web"])

        self.replace_catalogue(*FOLLOWED, "[Games]")
        self.wait_tabs(["Tools", "Web", "Games"], 1, "the mended file's sections")
        self.assertEqual(self.close_bar(program, hwnd), 0)


if __name__ == "__main__":
    harness.main()
