#!/usr/bin/env python3
"""End-to-end tests of arranging the bar by hand, with real mouse input:
buttons dragged along their toolbar and onto another section's tab, a drag
cancelled with Escape, a slip shorter than the drag distance still a click;
renames and a program's Properties through the menu; files, a shortcut, an
internet shortcut and a browser's link dropped from another program onto
the docked bar. Each step is checked on both bar windows and in the
catalogue's bytes, and a restart reads back what the edits left.

Drags from another program come from the driver's drag-source window: the
shell's own data object for files, a browser's formats for a link.

Run under scripts/with-wine.sh, or directly:
python3 tests/e2e/test_arranging.py [-v] [ArrangingTests.test_name].
"""

import contextlib
import re
import subprocess
import sys
import time
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))

import harness  # noqa: E402
from harness import (ABOUT_TITLE, DIALOG_CLASS, DOCK_CLASS, FLOAT_CLASS, POPUP_MENU_CLASS,  # noqa: E402
                     Keyboard, LarkspanTestCase, Mouse, Registry, child_windows, click_dialog_button,
                     enter_text, make_shortcut, open_popup_menu, type_text, wait_until, windows_join)
from test_editing import INPUT_BOX_CLASS, steps_down  # noqa: E402  (the menu's items, from the top)

UI_TIMEOUT = 10.0
LOAD_TIMEOUT = 20.0
LAUNCH_TIMEOUT = 20.0
ARGUMENTS = '/x "a b" c'
DRAG_SOURCE_TITLE = "Larkspan drag source"


def shown(toolbars):
    return [t for t in toolbars if t.visible]


@contextlib.contextmanager
def held_drag(start, end, steps=12):
    """Presses the left button at start and moves to end in even steps; the
    button stays down inside the block and is released after it."""
    Mouse.move(*start)
    Mouse._xdotool("mousedown", 1)
    try:
        for i in range(1, steps + 1):
            Mouse.move(start[0] + (end[0] - start[0]) * i // steps, start[1] + (end[1] - start[1]) * i // steps)
        yield
    finally:
        Mouse._xdotool("mouseup", 1)


def pixel(png: Path, x: int, y: int) -> tuple:
    done = harness.run(["convert", png, "-format", f"%[pixel:p{{{x},{y}}}]", "info:"])
    numbers = re.findall(r"\d+", harness.text(done.stdout))
    return tuple(int(n) for n in numbers[:3])


def is_mark(colour) -> bool:
    """The highlight colour of the drop mark, a blue."""
    r, _, b = colour
    return b > 150 and b > r + 60


class ArrangingTests(LarkspanTestCase):

    def setUp(self):
        super().setUp()
        self.probes = {name: self.install_probe(name.lower()) for name in ("One", "Two", "Three")}
        self.saves = self.install_dir / "Saves"
        self.saves.mkdir()

    # -- the bar --

    def tools_lines(self, *names):
        return [f"{n}={self.probes[n].exe_win}" for n in names]

    def write_bar(self):
        """Tools with three probes, Games with a folder."""
        return self.write_catalogue("[Tools]", *self.tools_lines("One", "Two", "Three"),
                                    "[Games]", f"Saves={harness.wine_path(self.saves)}")

    def expect_catalogue(self, *lines, what):
        expected = b"".join(line.encode("cp1252") + b"\r\n" for line in lines)
        # A drop runs once the drag's own loop has ended, and that loop
        # answers the driver's sync: the save may still be on its way.
        deadline = time.monotonic() + UI_TIMEOUT
        while self.catalogue.read_bytes() != expected and time.monotonic() < deadline:
            time.sleep(0.05)
        self.assertEqual(self.catalogue.read_bytes(), expected, f"catalogue {what}")

    def start_and_wait(self):
        program = self.start_program()
        hwnd = self.wait_bar_window(program)
        wait_until(lambda: self.driver.find_window(title=ABOUT_TITLE) is None, LOAD_TIMEOUT,
                   "the About box to close after the load")
        # Pictures arrive after the bar shows; buttons compare by them.
        section = self.shown_toolbar().control_id
        wait_until(lambda: min(self.button_images(FLOAT_CLASS)[section], default=0) >= 0, LOAD_TIMEOUT,
                   "the shown buttons' pictures")
        return program, hwnd

    def shown_toolbar(self, cls=FLOAT_CLASS):
        toolbars = shown(self.driver.toolbars(cls=cls, hidden=True))
        self.assertEqual(len(toolbars), 1, f"toolbars shown in {cls}")
        return toolbars[0]

    def pictures(self, cls=FLOAT_CLASS):
        """The picture indices of the buttons of the section shown in `cls`,
        on (floating, docked), once both windows are made: the same pictures
        in the same order mean the same buttons. A toolbar has the same id in
        both windows."""
        section = self.shown_toolbar(cls).control_id
        return self.button_images(FLOAT_CLASS)[section], self.button_images(DOCK_CLASS)[section]


    def tooltip_of(self, button):
        Mouse.move(button.left + 1, button.top + 1)
        Mouse.move(*button.centre)
        return self.driver.tooltips(timeout_ms=int(UI_TIMEOUT * 1000))

    def select_tab(self, position, cls=FLOAT_CLASS):
        tab = self.driver.tabs(cls=cls).tabs[position - 1]
        Mouse.click(*tab.rect.centre)
        wait_until(lambda: self.driver.tabs(cls=cls).selected == position, UI_TIMEOUT,
                   f"tab {position} to be selected")

    def choose(self, at, caption):
        open_popup_menu(self.driver, *at, timeout=UI_TIMEOUT)
        Keyboard.press(*["Down"] * steps_down(caption), "Return")

    def rename(self, at, caption, title, old, new, bar):
        self.choose(at, caption)
        box = self.wait_window(f"input box after {caption}", title=title, cls=INPUT_BOX_CLASS)
        edits = [c.text for c in child_windows(self.driver, box) if c.cls.lower() == "edit"]
        self.assertEqual(edits, [old], f"the name {title!r} offers")
        enter_text(self.driver, box, new)  # over the name, which starts selected
        self.wait_gone(box)
        self.driver.sync(bar)

    # -- tests --

    def test_drag_the_third_button_to_the_front(self):
        self.write_bar()
        program, bar = self.start_and_wait()
        tools = self.shown_toolbar()
        first, second, third = tools.buttons
        pictures = self.shown_pictures(FLOAT_CLASS)
        self.assertIsNone(self.driver.find_window(cls=DOCK_CLASS, hidden=True), "a docked window at the start")
        Mouse.move(tools.rect.right - 5, tools.rect.centre[1])  # no button hot
        before = self.screenshot("arranging-before-drag")

        # While the button is dragged the drop mark stands before the first
        # one: a bar in the highlight colour, there once the last move is seen.
        mark = (first.left, first.centre[1])
        self.assertFalse(is_mark(pixel(before, *mark)), "a mark before the drag")

        def marked():
            png = self.screenshot("arranging-drag-in-progress")
            return png if is_mark(pixel(png, *mark)) else None

        with held_drag(third.centre, (first.left + 3, first.centre[1])):
            shot = wait_until(marked, UI_TIMEOUT, f"the drop mark at {mark}")
            print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        self.driver.sync(bar)
        self.expect_catalogue("[Tools]", *self.tools_lines("Three", "One", "Two"), "[Games]",
                              f"Saves={harness.wine_path(self.saves)}", what="after the drag")
        moved = pictures[2:] + pictures[:2]
        self.assertEqual(self.shown_pictures(FLOAT_CLASS), moved, "pictures after the drag")

        # Escape ends a drag where it began.
        with held_drag(second.centre, (first.left + 3, first.centre[1])):
            Keyboard.press("Escape")
        self.driver.sync(bar)
        self.assertEqual(self.shown_pictures(FLOAT_CLASS), moved, "pictures after a cancelled drag")
        # A slip shorter than the drag distance is a click: Three opens.
        Mouse.drag(first.centre, (first.centre[0] + 1, first.centre[1]), steps=1)
        self.assertEqual(self.probes["Three"].wait_runs(1, LAUNCH_TIMEOUT), [b""], "the click on Three")

        # The docked window, made when the bar first docks after these
        # edits, shows the same buttons with the same pictures and names.
        self.drag_caption(bar, 100, 5)
        dock = self.wait_docked_window(program, timeout=UI_TIMEOUT)
        self.assertEqual(self.driver.tabs(cls=DOCK_CLASS).captions, ["Tools", "Games"])
        self.assertEqual(self.shown_pictures(DOCK_CLASS), moved, "pictures of the first docked bar")
        docked = self.shown_toolbar(DOCK_CLASS)
        self.assertEqual([self.tooltip_of(b) for b in docked.buttons], [["Three"], ["One"], ["Two"]],
                         "names of the first docked bar's buttons")
        shot = self.screenshot("arranging-first-dock")
        print(f"[e2e] screenshot: {shot}", file=sys.stderr)
        self.driver.close_window(hwnd=dock)
        self.assertEqual(program.wait_exit(self.EXIT_TIMEOUT), 0)
        Registry.set_settings(Position="5")

        # After a restart Three is first.
        program, bar = self.start_and_wait()
        tools = self.shown_toolbar()
        self.assertEqual(self.tooltip_of(tools.buttons[0]), ["Three"], "the first button after a restart")
        self.expect_catalogue("[Tools]", *self.tools_lines("Three", "One", "Two"), "[Games]",
                              f"Saves={harness.wine_path(self.saves)}", what="after a restart")
        self.assertEqual(self.close_bar(program, bar), 0)

    def test_drag_buttons_onto_another_tab(self):
        self.write_bar()
        saves = f"Saves={harness.wine_path(self.saves)}"
        program, bar = self.start_and_wait()
        tools = self.shown_toolbar()
        games = self.driver.tabs(cls=FLOAT_CLASS).tabs[1]

        # Dropped on the tab: at the end of that section.
        Mouse.drag(tools.buttons[1].centre, games.rect.centre)
        self.driver.sync(bar)
        self.expect_catalogue("[Tools]", *self.tools_lines("One", "Three"), "[Games]", saves,
                              *self.tools_lines("Two"), what="after Two went to Games")
        tools_id = tools.control_id
        self.assertEqual(len(self.button_images(FLOAT_CLASS)[tools_id]), 2, "buttons left on Tools")

        # Resting on the tab shows Games (in the floating window, which the
        # drag is over); the drop lands where it falls there.
        self.select_tab(1)
        tools = self.shown_toolbar()
        with held_drag(tools.buttons[0].centre, games.rect.centre):
            wait_until(lambda: self.driver.tabs(cls=FLOAT_CLASS).selected == 2, UI_TIMEOUT,
                       "Games to show while the drag rests on its tab")
            target = self.shown_toolbar().buttons[0]
            for step in range(1, 7):  # down onto the toolbar, before its first button
                Mouse.move(games.rect.centre[0] + (target.left + 3 - games.rect.centre[0]) * step // 6,
                           games.rect.centre[1] + (target.centre[1] - games.rect.centre[1]) * step // 6)
        self.driver.sync(bar)
        self.expect_catalogue("[Tools]", *self.tools_lines("Three"), "[Games]", *self.tools_lines("One"), saves,
                              *self.tools_lines("Two"), what="after One went to the front of Games")
        self.assertEqual(len(self.shown_toolbar().buttons), 3, "buttons on Games")
        self.assertEqual(len(self.button_images(FLOAT_CLASS)[tools_id]), 1, "buttons left on Tools")
        self.assertEqual(self.close_bar(program, bar), 0)

        program, bar = self.start_and_wait()
        self.select_tab(2)
        Mouse.click(*self.shown_toolbar().buttons[0].centre)
        self.assertEqual(self.probes["One"].wait_runs(1, LAUNCH_TIMEOUT), [b""], "the first button of Games")
        self.assertEqual(self.close_bar(program, bar), 0)

    def test_rename_and_properties_through_the_menu(self):
        self.write_bar()
        saves = f"Saves={harness.wine_path(self.saves)}"
        program, bar = self.start_and_wait()
        tools = self.shown_toolbar()

        open_popup_menu(self.driver, *tools.buttons[1].centre, timeout=UI_TIMEOUT)
        shot = self.screenshot("arranging-button-menu")
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        Keyboard.press("Escape")
        self.assertEqual(self.driver.call("wait-gone", "--class", POPUP_MENU_CLASS).returncode, 0)

        self.rename(tools.buttons[1].centre, "Rename\u2026", "Rename Program", "Two", "Deux", bar)
        games = self.driver.tabs(cls=FLOAT_CLASS).tabs[1]
        self.rename(games.rect.centre, "Rename Section\u2026", "Rename Section", "Games", "Play", bar)
        self.expect_catalogue("[Tools]", *self.tools_lines("One"), f"Deux={self.probes['Two'].exe_win}",
                              *self.tools_lines("Three"), "[Play]", saves, what="after the renames")
        self.assertEqual(self.driver.tabs(cls=FLOAT_CLASS).captions, ["Tools", "Play"])

        # Properties: the arguments typed reach the program.
        self.choose(tools.buttons[0].centre, "Properties\u2026")
        dialog = self.wait_window("Properties dialog", title="One Properties", cls=DIALOG_CLASS)
        edits = [c for c in child_windows(self.driver, dialog) if c.cls.lower() == "edit"]
        self.assertEqual([e.text for e in edits], ["One", self.probes["One"].exe_win, ""],
                         "name, target and arguments shown")
        Mouse.click(*edits[2].rect.centre)
        type_text(ARGUMENTS)
        wait_until(lambda: self.driver.window_text(edits[2].hwnd) == ARGUMENTS, UI_TIMEOUT, "the arguments typed")
        shot = self.screenshot("arranging-properties")
        print(f"[e2e] screenshot: {shot}", file=sys.stderr)
        click_dialog_button(self.driver, dialog, "OK")
        self.wait_gone(dialog)
        self.driver.sync(bar)
        self.expect_catalogue("[Tools]", f'One="{self.probes["One"].exe_win}" {ARGUMENTS}',
                              f"Deux={self.probes['Two'].exe_win}", *self.tools_lines("Three"), "[Play]", saves,
                              what="after Properties")
        Mouse.click(*tools.buttons[0].centre)
        self.assertEqual(self.probes["One"].wait_runs(1, LAUNCH_TIMEOUT), [ARGUMENTS.encode()], "the launch")
        # Wine asks no one for elevation: the program simply starts.
        self.choose(tools.buttons[0].centre, "Run as administrator")
        self.assertEqual(self.probes["One"].wait_runs(2, LAUNCH_TIMEOUT)[1], ARGUMENTS.encode(), "run elevated")
        # "Open file location": the shell's window on the program's folder.
        self.choose(tools.buttons[0].centre, "Open file location")
        explorer = self.wait_window("the program's folder", timeout=LAUNCH_TIMEOUT,
                                    title=self.probes["One"].exe.parent.name, cls="ExplorerWClass")
        self.driver.close(explorer)
        self.wait_gone(explorer, "the folder's window")
        self.assertEqual(len(self.probes["One"].runs()), 2, "the program started instead")
        self.assertEqual(self.close_bar(program, bar), 0)

        program, bar = self.start_and_wait()
        self.assertEqual(self.driver.tabs(cls=FLOAT_CLASS).captions, ["Tools", "Play"], "tabs after a restart")
        tools = self.shown_toolbar()
        self.assertEqual(self.tooltip_of(tools.buttons[1]), ["Deux"], "the renamed button after a restart")
        Mouse.click(*tools.buttons[0].centre)
        self.assertEqual(self.probes["One"].wait_runs(3, LAUNCH_TIMEOUT)[2], ARGUMENTS.encode(),
                         "the launch after a restart")
        self.assertEqual(self.close_bar(program, bar), 0)

    def drop_from_source(self, options, to):
        """Drags what the driver's drag source offers (its options) from its
        window to `to`, as a hand would; returns the driver's output."""
        log = self.config.work / "logs" / f"{self.name}.source.log"
        with open(log, "wb") as out:
            source = subprocess.Popen(["wine", self.config.driver, "drag-source", *options, "--x", "40", "--y", "300"],
                                      stdout=out, stderr=subprocess.STDOUT)
            try:
                hwnd = self.driver.find_window(title=DRAG_SOURCE_TITLE, timeout_ms=int(UI_TIMEOUT * 2000))
                self.assertIsNotNone(hwnd, f"the drag source window: {log.read_text()}")
                Mouse.drag(self.driver.window_rect(hwnd).centre, to, steps=16)
                self.assertEqual(source.wait(timeout=30), 0, f"the drag source: {log.read_text()}")
            finally:
                if source.poll() is None:
                    source.kill()
                    source.wait()
        return harness.text(log.read_bytes())

    def test_files_and_links_dropped_from_other_programs(self):
        Registry.set_settings(Position="1")  # docked at the top
        self.write_catalogue("[Tools]", *self.tools_lines("One", "Two"), "[Web]")
        folder = self.install_dir / "dropped"
        folder.mkdir()
        folder_win = harness.wine_path(folder)
        make_shortcut(self.driver, windows_join(folder_win, "Editor.lnk"), self.probes["Three"].exe_win,
                      ARGUMENTS)
        (folder / "News.url").write_bytes(b"[InternetShortcut]\r\nURL=http://news.example/?q=1\r\n")
        (folder / "Notes.txt").write_bytes(b"notes")
        program = self.start_program()
        bar = self.wait_docked_window(program)
        tools = self.shown_toolbar(DOCK_CLASS)

        # Three items of one folder, dropped before Two, keep their order.
        files = "|".join(windows_join(folder_win, n) for n in ("Editor.lnk", "News.url", "Notes.txt"))
        second = tools.buttons[1]
        out = self.drop_from_source(["--files", files], (second.left + 3, second.centre[1]))
        self.assertIn("effect\t4", out, "the drop links to the files")  # DROPEFFECT_LINK
        self.driver.sync(bar)
        expected = ["[Tools]", *self.tools_lines("One"), f'Editor="{self.probes["Three"].exe_win}" {ARGUMENTS}',
                    "News=http://news.example/?q=1", f"Notes={windows_join(folder_win, 'Notes.txt')}",
                    *self.tools_lines("Two"), "[Web]"]
        self.expect_catalogue(*expected, what="after the files were dropped")
        counts = tuple(len(p) for p in self.pictures(DOCK_CLASS))
        self.assertEqual(counts, (5, 5), "buttons on (floating, docked)")

        # A browser's link dropped on the Web tab: named after the page.
        web = self.driver.tabs(cls=DOCK_CLASS).tabs[1]
        out = self.drop_from_source(["--url", "https://example.com/a?b=c", "--title", "Example Domain"],
                                    web.rect.centre)
        self.assertIn("effect\t4", out, "the drop links to the page")
        self.driver.sync(bar)
        self.expect_catalogue(*expected, "Example Domain=https://example.com/a?b=c", what="after the link")
        self.driver.close_window(cls=DOCK_CLASS)
        self.assertEqual(program.wait_exit(self.EXIT_TIMEOUT), 0)


if __name__ == "__main__":
    harness.main()
