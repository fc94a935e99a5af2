#!/usr/bin/env python3
"""End-to-end tests of folder buttons: the drop arrow opens the folder as a
cascading menu (sub-folders first, then files, in Explorer's order), an item
starts through the shell, a right-click shows the shell's own menu for it,
an item dragged out of the menu onto the bar is added; the button itself
still opens the folder, and Down opens its menu from the keyboard.

Run under scripts/with-wine.sh, or directly:
python3 tests/e2e/test_foldermenu.py [-v] [FolderMenuTests.test_name].
"""

import sys
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))

import harness  # noqa: E402
from harness import (ABOUT_TITLE, FLOAT_CLASS, POPUP_MENU_CLASS, Keyboard, LarkspanTestCase, Mouse,  # noqa: E402
                     bytes_now, make_shortcut, wait_until, windows_join)

TIMEOUT = 20.0
HOTKEY = "super+alt+l"
EXPLORER_CLASS = "ExplorerWClass"  # Wine's window on a folder
# The folder's menu, in the order it must show: sub-folders, then files in
# logical order ("p2" before "p10", which plain text order would swap).
ROWS = ("Apps", "Sub", "a.txt", "p2", "p10")


class FolderMenuTests(LarkspanTestCase):

    def setUp(self):
        super().setUp()
        folder = self.install_dir / "Stuff"
        (folder / "Apps").mkdir(parents=True)
        (folder / "a.txt").write_text("a note")
        self.inner = self.install_probe("Stuff/Sub")
        self.probe = self.install_probe("Tools")
        self.folder_win = windows_join(self.install_dir_win, "Stuff")
        # Shortcuts tell by their arguments which one the menu started.
        for name, argument in (("p10", "ten"), ("p2", "two")):
            make_shortcut(self.driver, windows_join(self.folder_win, f"{name}.lnk"), self.probe.exe_win, argument)
        self.write_catalogue("[Tools]", f"Stuff={self.folder_win}", r"Notepad=C:\windows\notepad.exe")
        self.program = self.start_program()
        self.bar = self.wait_bar_window(self.program)
        wait_until(lambda: self.driver.find_window(title=ABOUT_TITLE) is None, TIMEOUT, "the load to end")
        # The folder's button grows its drop arrow once the folder is known.
        self.button = wait_until(self.split_button, TIMEOUT, "the folder's drop arrow")

    def split_button(self):
        shown = [t for t in self.driver.toolbars(cls=FLOAT_CLASS) if t.visible][0]
        folder, plain = shown.buttons[0], shown.buttons[1]
        return folder if folder.width > plain.width else None

    def menus(self):
        return [w for w in self.driver.list_windows(visible_only=True) if w["class"] == POPUP_MENU_CLASS]

    def wait_menus(self, count, what):
        found = []

        def there():
            found[:] = self.menus()
            return len(found) == count
        wait_until(there, TIMEOUT, what)
        return found

    def open_menu(self):
        """Clicks the drop arrow; returns the menu's rectangle."""
        Mouse.click(self.button.right - 4, self.button.centre[1])
        return self.wait_menus(1, "the folder's menu")[0]["rect"]

    @staticmethod
    def row(menu, index, count=len(ROWS)):
        """The middle of a row of a menu of `count` rows of equal height."""
        height = (menu.height - 4) / count
        return menu.left + menu.width // 2, int(menu.top + 2 + height * (index + 0.5))

    def test_the_drop_arrow_opens_the_folder_in_explorers_order_and_an_item_starts(self):
        menu = self.open_menu()
        self.assertGreaterEqual(menu.top, self.button.bottom - 1, "the menu opens below the button")
        Mouse.click(*self.row(menu, ROWS.index("p2")))
        self.assertEqual(self.probe.wait_runs(1, TIMEOUT), [b"two"])
        self.assertEqual(self.menus(), [], "the menu stays open after the click")

    def test_a_sub_folder_opens_as_a_sub_menu_and_a_right_click_shows_the_shells_menu(self):
        menu = self.open_menu()
        Mouse.move(*self.row(menu, ROWS.index("Sub")))
        sub = [w["rect"] for w in self.wait_menus(2, "the sub-folder's menu") if w["rect"] != menu][0]
        self.screenshot("foldermenu-submenu")
        self.assertGreaterEqual(sub.left, menu.right - 8, "the sub-menu opens beside its item")
        Mouse.click(*self.row(sub, 0, count=1))
        self.assertEqual(self.inner.wait_runs(1, TIMEOUT), [b""])

        # The shell's own menu over an item, the folder's menu open beneath.
        menu = self.open_menu()
        Mouse.click(*self.row(menu, ROWS.index("a.txt")), button=3)
        self.wait_menus(2, "the shell's menu for a.txt")
        self.screenshot("foldermenu-context-menu")
        # Escape closes the shell's menu (Wine's nested menus close the
        # folder's with it; Windows leaves that open for a second Escape).
        Keyboard.press("Escape")
        wait_until(lambda: len(self.menus()) < 2, TIMEOUT, "the shell's menu to close")
        if self.menus():
            Keyboard.press("Escape")
        self.wait_menus(0, "the folder's menu to close")
        self.assertEqual(self.catalogue.read_bytes().count(b"\r\n"), 3, "the shell's menu changed the catalogue")

    def test_the_button_itself_opens_the_folder_and_down_opens_its_menu(self):
        Mouse.click(self.button.left + 6, self.button.centre[1])
        explorer = self.wait_window("the folder opened in Explorer", TIMEOUT, cls=EXPLORER_CLASS)
        self.assertEqual(self.driver.window_text(explorer), "Stuff")
        self.assertEqual(self.menus(), [], "a click on the button opened the menu")
        self.driver.close(explorer)
        self.wait_gone(explorer, "Explorer's window")

        # The keyboard on the folder's button: Down opens the menu on its
        # first item, Up wraps to the last.
        Keyboard.press(HOTKEY)
        wait_until(lambda: self.driver.focus().get("hot") == 1, TIMEOUT, "the folder's button to be focused")
        Keyboard.press("Down")
        self.wait_menus(1, "the menu opened by Down")
        Keyboard.press("Up", "Return")
        self.assertEqual(self.probe.wait_runs(1, TIMEOUT), [b"ten"])

    def test_an_item_dragged_out_of_the_menu_onto_the_bar_is_added(self):
        menu = self.open_menu()
        shown = [t for t in self.driver.toolbars(cls=FLOAT_CLASS) if t.visible][0]
        free = (shown.rect.right - 40, shown.rect.centre[1])
        Mouse.drag(self.row(menu, ROWS.index("a.txt")), free)
        entry = f"a={windows_join(self.folder_win, 'a.txt')}\r\n".encode()
        wait_until(lambda: bytes_now(self.catalogue).endswith(entry), TIMEOUT, "the dragged file in the catalogue")
        wait_until(lambda: [t.button_count for t in self.driver.toolbars(cls=FLOAT_CLASS) if t.visible] == [3],
                   TIMEOUT, "a third button on the bar")
        self.assertEqual(self.menus(), [])


if __name__ == "__main__":
    harness.main()
