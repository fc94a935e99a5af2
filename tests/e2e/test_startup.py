#!/usr/bin/env python3
"""End-to-end tests of start-up and shutdown, registry settings, the
single-instance guard, the command line a second start hands over, and a crash.

Each test gets its own folder holding only a copy of larkspan.exe and starts
with no HKCU\\Software\\Larkspan key. Run under scripts/with-wine.sh, or
directly: python3 tests/e2e/test_startup.py [-v] [StartupTests.test_name].
"""

import re
import shutil
import sys
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))

import harness  # noqa: E402
from harness import (DIALOG_CLASS, FLOAT_CLASS, SETTING_NAMES, SETTINGS_KEY, TITLE,  # noqa: E402
                     LarkspanTestCase, Registry, bytes_now, linux_path, same_windows_path, special_folder, wait_until,
                     windows_join)

ALREADY_RUNNING = "Application is already running!"
CSIDL_LOCAL_APPDATA = 28

# A catalogue a user could have written: two sections, CR LF lines.
SAMPLE_CATALOGUE = (b"[Tools]\r\nNotepad=C:\\windows\\notepad.exe\r\n"
                    b"[Web]\r\nHome=http://example.invalid/\r\n")


class StartupTests(LarkspanTestCase):

    def start_and_wait(self):
        program = self.start_program()
        return program, self.wait_bar_window(program)

    def assert_settings_path(self, settings, expected_win_path):
        self.assertIn("INI_Path", settings)
        actual = settings["INI_Path"].data
        self.assertTrue(same_windows_path(actual, expected_win_path),
                        f"INI_Path is {actual!r}, expected {expected_win_path!r}")

    # -- first run --

    def test_first_run_creates_empty_catalogue(self):
        self.assertFalse(self.catalogue.exists())
        program, hwnd = self.start_and_wait()
        self.assertTrue(self.catalogue.is_file(), "no zentrol.ini beside the exe")
        self.assertEqual(self.catalogue.read_bytes(), b"\r\n")
        self.assertEqual(self.close_bar(program, hwnd), 0)
        self.assertEqual(self.catalogue.read_bytes(), b"\r\n")
        # Nothing else appears beside the program.
        self.assertEqual(sorted(p.name for p in self.install_dir.iterdir()),
                         ["larkspan.exe", "zentrol.ini"])

    # -- the floating tool window --

    def test_window_appears_as_tool_window(self):
        program, hwnd = self.start_and_wait()
        shot = self.screenshot("startup-floating-window")
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        self.assertEqual(self.driver.window_text(hwnd), TITLE)
        self.assertTrue(self.driver.is_toolwindow(hwnd), "the bar is not a tool window")
        self.assertEqual(self.close_bar(program, hwnd), 0)

    # -- settings saved at shutdown, defaults for a fresh user --

    def test_close_saves_defaults_of_fresh_user(self):
        program, hwnd = self.start_and_wait()
        self.assertIsNone(Registry.settings(), "settings written before shutdown")
        rect = self.driver.window_rect(hwnd)
        self.assertEqual(self.close_bar(program, hwnd), 0)

        settings = Registry.settings()
        self.assertIsNotNone(settings, f"{SETTINGS_KEY} not written at shutdown")
        self.assertEqual(sorted(settings), sorted(SETTING_NAMES))
        for name, value in settings.items():
            self.assertEqual(value.type, "REG_SZ", f"{name} is {value.type}")
        self.assertEqual(settings["Size"].data, "1")
        self.assertEqual(settings["Position"].data, "5")
        self.assertEqual(settings["Width"].data, "7500")
        self.assertEqual(int(settings["Height"].data), rect.height * self.twips_per_pixel[1])  # one row
        self.assertEqual(settings["Autohide"].data, "False")
        self.assertEqual(settings["Hotkey"].data, "Win+Alt+L")
        self.assert_settings_path(settings, self.catalogue_win)

        # Top and Left: the floating window's place in twips when it closed...
        tpp_x, tpp_y = self.twips_per_pixel
        self.assertEqual(int(settings["Left"].data), rect.left * tpp_x)
        self.assertEqual(int(settings["Top"].data), rect.top * tpp_y)
        # ...which for a fresh user is the screen's centre (half the screen in
        # twips, rounded half to even), give or take a pixel.
        default_left = round(self.screen["width"] * tpp_x / 2)
        default_top = round(self.screen["height"] * tpp_y / 2)
        self.assertLessEqual(abs(int(settings["Left"].data) - default_left), tpp_x,
                             f"window left {rect.left} px, default {default_left} twips")
        self.assertLessEqual(abs(int(settings["Top"].data) - default_top), tpp_y,
                             f"window top {rect.top} px, default {default_top} twips")

    # -- single instance --

    def test_second_instance_reports_and_ends(self):
        stored = {"Size": "1", "Position": "5", "Left": "1500", "Top": "1500",
                  "Width": "6000", "Autohide": "False"}
        Registry.set_settings(**stored)
        first, hwnd = self.start_and_wait()
        catalogue_before = self.catalogue.read_bytes()
        settings_before = Registry.settings()

        second = self.start_program()
        text = self.driver.msgbox_text(TITLE, timeout_ms=20000)
        self.assertIsNotNone(text, f"no message box titled {TITLE!r}\n{self.describe_screen()}")
        self.assertEqual(text, ALREADY_RUNNING)
        self.screenshot("startup-second-instance")
        self.assertTrue(second.running, "the second instance ended before its box was answered")

        self.driver.press_ok(TITLE)
        self.assertEqual(second.wait_exit(self.EXIT_TIMEOUT), 0)

        self.assertTrue(first.running, "the first instance ended")
        self.assertTrue(self.driver.window_exists(hwnd), "the first instance's window is gone")
        self.assertTrue(self.driver.sync(hwnd), "the first instance does not answer")
        self.assertIsNone(self.driver.find_window(title=TITLE, cls=DIALOG_CLASS),
                          "a message box is still open")
        self.assertEqual(Registry.settings(), settings_before, "the second instance wrote settings")
        self.assertEqual(self.catalogue.read_bytes(), catalogue_before,
                         "the second instance changed the catalogue")

        self.assertEqual(self.close_bar(first, hwnd), 0)

    # -- the command line --

    def test_add_while_the_bar_runs_adds_quietly_and_ends(self):
        self.catalogue.write_bytes(SAMPLE_CATALOGUE)
        first, hwnd = self.start_and_wait()
        probe = self.install_probe("Tools")
        (self.install_dir / "Notes.txt").write_text("notes")
        # A path relative to the start's own folder, a full one, an address.
        second = self.start_program("/add", probe.exe_win, self.name + "\\Notes.txt",
                                    "https://example.invalid/page", "/section", "web")
        self.assertEqual(second.wait_exit(self.EXIT_TIMEOUT), 0)
        expected = (f"Home=http://example.invalid/\r\nprobe={probe.exe_win}\r\n"
                    f"Notes={windows_join(self.install_dir_win, 'Notes.txt')}\r\n"
                    f"example.invalid=https://example.invalid/page\r\n").encode()
        wait_until(lambda: expected in bytes_now(self.catalogue), 20, "the entries in the catalogue")
        # The section they went to shows them, and nothing asks anything.
        wait_until(lambda: [t.button_count for t in self.driver.toolbars(cls=FLOAT_CLASS) if t.visible] == [4],
                   20, "the Web section's four buttons on screen")
        self.assertIsNone(self.driver.find_window(title=TITLE, cls=DIALOG_CLASS), "a message box")
        self.screenshot("startup-after-add")
        self.assertTrue(first.running)

        # /show brings the bar forward on the section named.
        self.assertEqual(self.start_program("/show", "Tools").wait_exit(self.EXIT_TIMEOUT), 0)
        wait_until(lambda: self.driver.tabs(cls=FLOAT_CLASS).selected == 1, 20, "the Tools tab selected")
        wait_until(lambda: self.driver.focus().get("foreground") == hwnd, 20, "the bar to have the keyboard")
        self.assertEqual(self.close_bar(first, hwnd), 0)

    def test_add_with_no_bar_running_starts_it_with_the_entry_added(self):
        self.catalogue.write_bytes(SAMPLE_CATALOGUE)
        probe = self.install_probe("Tools")
        program = self.start_program("/add", probe.exe_win)
        hwnd = self.wait_bar_window(program)
        expected = (f"[Tools]\r\nNotepad=C:\\windows\\notepad.exe\r\nprobe={probe.exe_win}\r\n"
                    f"[Web]\r\n").encode()
        wait_until(lambda: bytes_now(self.catalogue).startswith(expected), 20,
                   "the probe at the end of the section shown")
        self.assertEqual(self.close_bar(program, hwnd), 0)

    def test_a_line_it_cannot_read_shows_the_usage(self):
        program = self.start_program("/add", "a.txt", "/bogus")
        text = self.driver.msgbox_text(TITLE, timeout_ms=20000)
        self.assertIsNotNone(text, f"no usage box\n{self.describe_screen()}")
        self.assertTrue(text.replace("\r", "").startswith("Unknown option: /bogus\n"), text)
        self.assertIn("larkspan /add PATH... [/section NAME]", text)
        self.driver.press_ok(TITLE)
        self.assertEqual(program.wait_exit(self.EXIT_TIMEOUT), 1)
        self.assertFalse(self.catalogue.exists(), "the usage box started the bar")

    # -- INI_Path naming a missing file --

    def test_missing_ini_path_falls_back_to_exe_folder(self):
        missing = harness.windows_join(self.install_dir_win, r"gone\elsewhere.ini")
        Registry.set_settings(INI_Path=missing)
        program, hwnd = self.start_and_wait()
        self.assertEqual(self.catalogue.read_bytes(), b"\r\n")
        self.assertFalse((self.install_dir / "gone").exists())
        self.assertEqual(self.close_bar(program, hwnd), 0)
        self.assert_settings_path(Registry.settings(), self.catalogue_win)

    def test_missing_ini_path_keeps_existing_default_catalogue(self):
        self.catalogue.write_bytes(SAMPLE_CATALOGUE)
        missing = r"C:\larkspan-e2e-no-such-folder\zentrol.ini"
        Registry.set_settings(INI_Path=missing)
        program, hwnd = self.start_and_wait()
        self.assertEqual(self.catalogue.read_bytes(), SAMPLE_CATALOGUE)
        self.assertEqual(self.close_bar(program, hwnd), 0)
        self.assertEqual(self.catalogue.read_bytes(), SAMPLE_CATALOGUE,
                         "the existing zentrol.ini was changed")
        self.assert_settings_path(Registry.settings(), self.catalogue_win)

    # -- stored place and width --

    def test_stored_settings_place_the_window(self):
        tpp_x, tpp_y = self.twips_per_pixel
        left_px, top_px, width_px = 200, 100, 400
        Registry.set_settings(Left=str(left_px * tpp_x), Top=str(top_px * tpp_y),
                              Width=str(width_px * tpp_x), Size="1", Position="5",
                              Autohide="False")
        program, hwnd = self.start_and_wait()
        rect = self.driver.window_rect(hwnd)
        # The outer window rectangle, frame included, is what Left/Top/Width
        # describe; allow a pixel for rounding.
        self.assertLessEqual(abs(rect.left - left_px), 1, f"window rect {rect}")
        self.assertLessEqual(abs(rect.top - top_px), 1, f"window rect {rect}")
        self.assertLessEqual(abs(rect.width - width_px), 1, f"window rect {rect}")
        self.screenshot("startup-stored-place")
        self.assertEqual(self.close_bar(program, hwnd), 0)

        settings = Registry.settings()
        self.assertEqual(int(settings["Left"].data), rect.left * tpp_x)
        self.assertEqual(int(settings["Top"].data), rect.top * tpp_y)
        self.assertEqual(int(settings["Width"].data), rect.width * tpp_x)
        self.assertEqual(settings["Position"].data, "5")


    # -- a crash --

    def crash_folder(self) -> Path:
        """%LOCALAPPDATA%\\Larkspan\\crashes, holding nothing from before the test
        (earlier dumps are kept in the test's folder)."""
        _, local = special_folder(self.driver, CSIDL_LOCAL_APPDATA)
        folder = local / "Larkspan" / "crashes"
        if folder.exists():
            shutil.move(folder, self.install_dir / "crashes-before")
        folder.mkdir(parents=True)
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        return folder

    def crash(self, how: str, older=()):
        """Crashes the running bar by the driver's command HOW and checks what
        it leaves: one message naming the dump, the newest five dumps beside
        OLDER ones, and nothing of the bar's state written. Answers the exit code."""
        self.catalogue.write_bytes(SAMPLE_CATALOGUE)
        crashes = self.crash_folder()
        for name in older:
            (crashes / name).write_bytes(b"an older dump")
        (crashes / "notes.txt").write_bytes(b"the user's own")
        program, hwnd = self.start_and_wait()

        self.driver.ok(how, "--hwnd", hwnd)
        text = self.driver.msgbox_text(TITLE, timeout_ms=180000)  # Wine's dbghelp reads every module's debug information
        self.assertIsNotNone(text, f"no crash message\n{self.describe_screen()}")
        shot = self.screenshot(f"startup-crash-message-{how}")
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        match = re.fullmatch(r"Larkspan stopped because of an error\.\n\nA crash dump was written to:\n(.+)", text)
        self.assertIsNotNone(match, f"crash message {text!r}")
        self.driver.press_ok(TITLE)
        code = program.wait_exit(self.EXIT_TIMEOUT)

        dump = linux_path(match.group(1))
        self.assertEqual(dump.parent, crashes)
        self.assertEqual(dump.read_bytes()[:4], b"MDMP", "the dump's signature")
        self.assertEqual(sorted(p.name for p in crashes.iterdir()),
                         sorted(list(older[-4:]) + [dump.name, "notes.txt"]), "the newest five dumps and the user's file")
        # Nothing of the bar's state was written on the way out.
        self.assertEqual(self.catalogue.read_bytes(), SAMPLE_CATALOGUE)
        self.assertEqual(sorted(p.name for p in self.install_dir.iterdir() if p.name != "crashes-before"),
                         ["larkspan.exe", "zentrol.ini"])
        self.assertIsNone(Registry.settings(), "settings written on the crash path")
        return code

    def test_a_crash_leaves_a_dump_and_writes_nothing_else(self):
        # A thread of the program's process runs into an address without
        # code: the running program as it is, crashed from outside.
        older = [f"larkspan-2020010{n}-120000-000-{100 + n}.dmp" for n in range(1, 7)]
        self.assertNotEqual(self.crash("fault-thread", older), 0, "exit code after the crash")

    def test_a_stack_overflow_on_the_bars_thread_leaves_a_dump(self):
        # The bar's own thread recurses until its stack is gone: what it
        # keeps for a crash must still make the dump's thread.
        code = self.crash("overflow-thread")
        self.assertEqual(code & 0xFF, 0xC00000FD & 0xFF, "exit code: the overflow's")

if __name__ == "__main__":
    harness.main()
