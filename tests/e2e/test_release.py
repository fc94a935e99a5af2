#!/usr/bin/env python3
"""End-to-end tests of the release that scripts/release.sh makes in
build/release: the portable zip and the installer.

- The zip holds exactly the program, settings.ini with its picture,
  README.txt and LICENSE.txt; its exe carries no symbols and no link time
  and imports system DLLs only.
- A second build of the same commit (the exe linked again, both archives
  packed again elsewhere) gives the same bytes.
- The installer, run silently, installs for the user (or for everyone), the
  installed bar starts and keeps its catalogue in the user's application
  data, and the uninstaller takes away everything it installed: files,
  shortcut, Send To entry, Apps & features entry, Run value. The Send To
  entry adds the files Explorer hands it to the bar. The catalogue and settings
  stay unless /RemoveUserData asks otherwise.

Run under scripts/with-wine.sh after scripts/release.sh, or directly:
python3 tests/e2e/test_release.py [-v] [InstallerTests.test_name].
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))

import harness  # noqa: E402
from harness import (ABOUT_TITLE, APP_KEY, CATALOGUE_NAME, CSIDL_SENDTO, REPO,  # noqa: E402
                     LarkspanTestCase, Program, Registry, bytes_now, child_windows, click_dialog_button, linux_path,
                     project_version, read_shortcut, run,
                     special_folder, text, wait_until, windows_join, wine_path)

RELEASE_DIR = Path(os.environ.get("LARKSPAN_RELEASE_DIR", REPO / "build" / "release"))
VERSION = project_version()
ZIP = RELEASE_DIR / f"larkspan-{VERSION}-win64.zip"
SETUP = RELEASE_DIR / f"larkspan-{VERSION}-setup.exe"

PACKED = ["Icons/mdb.ico", "LICENSE.txt", "README.txt", "larkspan.exe", "settings.ini"]
UNINSTALLER = "Uninstall.exe"
UNINSTALL_KEY = r"Software\Microsoft\Windows\CurrentVersion\Uninstall\Larkspan"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
SHORTCUT = "Larkspan.lnk"

CSIDL_PROGRAMS = 2
CSIDL_APPDATA = 26
CSIDL_LOCAL_APPDATA = 28
CSIDL_COMMON_PROGRAMS = 23
CSIDL_PROGRAM_FILES = 38

INSTALL_TIMEOUT = 120.0
UNINSTALL_TIMEOUT = 60.0


def release_missing() -> str:
    missing = [p for p in (ZIP, SETUP) if not p.is_file()]
    return f"{', '.join(map(str, missing))} missing: run scripts/release.sh first" if missing else ""


def files_below(folder: Path) -> list:
    return sorted(p.relative_to(folder).as_posix() for p in folder.rglob("*") if p.is_file())


def pe_header(data: bytes) -> dict:
    """The COFF header of a PE image and its section names."""
    offset = struct.unpack_from("<I", data, 0x3C)[0]
    if data[offset:offset + 4] != b"PE\0\0":
        raise AssertionError("not a PE image")
    _, sections, stamp, symbols_at, symbols, optional_size, _ = struct.unpack_from("<HHIIIHH", data, offset + 4)
    table = offset + 24 + optional_size
    names = [data[table + 40 * i:table + 40 * i + 8].rstrip(b"\0").decode() for i in range(sections)]
    return {"stamp": stamp, "symbols_at": symbols_at, "symbols": symbols, "sections": names}


class ReleaseArchiveTests(unittest.TestCase):
    """What the release command wrote: contents, the exe, reproducibility."""

    @classmethod
    def setUpClass(cls):
        if release_missing():
            raise AssertionError(release_missing())

    def test_the_zip_holds_exactly_the_program_its_pictures_readme_and_licence(self):
        with zipfile.ZipFile(ZIP) as archive:
            names = sorted(n for n in archive.namelist() if not n.endswith("/"))
            self.assertEqual(names, PACKED)
            readme = archive.read("README.txt")
            self.assertEqual(archive.read("settings.ini"), (REPO / "resources" / "settings.ini").read_bytes())
            self.assertIn(b"MIT License\r\n", archive.read("LICENSE.txt"))
        self.assertTrue(readme.startswith(f"Larkspan {VERSION}\r\n".encode()), readme[:40])
        self.assertNotIn(b"\n", readme.replace(b"\r\n", b""), "README.txt has CR LF line ends only")
        self.assertIn(f"larkspan-{VERSION}-setup.exe".encode(), readme)

    def test_the_exe_is_stripped_timeless_and_imports_system_dlls_only(self):
        with zipfile.ZipFile(ZIP) as archive:
            exe = archive.read("larkspan.exe")
        header = pe_header(exe)
        self.assertEqual((header["symbols_at"], header["symbols"]), (0, 0), "a symbol table")
        self.assertEqual([s for s in header["sections"] if s.startswith((".debug", "/"))], [],
                         f"debug sections in {header['sections']}")
        self.assertEqual(header["stamp"], 0, "the link time")
        # Under a megabyte: code built for size, the pictures at every size a DPI
        # asks for stored as PNG frames. Debug information would add a
        # megabyte or more.
        self.assertLess(len(exe), 1_048_576)
        with tempfile.TemporaryDirectory() as folder:
            path = Path(folder) / "larkspan.exe"
            path.write_bytes(exe)
            done = run(["cmake", f"-DEXE={path}", "-DOBJDUMP=x86_64-w64-mingw32-objdump",
                        "-P", REPO / "tests" / "CheckImports.cmake"])
        self.assertEqual(done.returncode, 0, text(done.stdout + done.stderr))

    def test_a_second_build_of_the_commit_gives_the_same_bytes(self):
        # The exe linked anew and both archives packed anew in another folder.
        (REPO / "build" / "windows" / "bin" / "larkspan.exe").unlink(missing_ok=True)
        with tempfile.TemporaryDirectory(dir=REPO / "build") as folder:
            done = run(["bash", REPO / "scripts" / "release.sh", "--out", folder], timeout=900)
            self.assertEqual(done.returncode, 0, text(done.stdout + done.stderr)[-3000:])
            for first in (ZIP, SETUP):
                again = Path(folder) / first.name
                self.assertTrue(again.read_bytes() == first.read_bytes(), f"{first.name} differs between builds")


class InstallerTests(LarkspanTestCase):
    """The installer and uninstaller run silently, as a script would."""

    @classmethod
    def setUpClass(cls):
        if release_missing():
            raise AssertionError(release_missing())
        super().setUpClass()

    def setUp(self):
        super().setUp()
        self.appdata_win, self.appdata = special_folder(self.driver, CSIDL_APPDATA)
        local_win, local = special_folder(self.driver, CSIDL_LOCAL_APPDATA)
        # The picture cache, the launched network targets and the log.
        self.local_data = local / "Larkspan"
        files_win, _ = special_folder(self.driver, CSIDL_PROGRAM_FILES)
        self.user_dir_win = windows_join(local_win, r"Programs\Larkspan")
        self.all_dir_win = windows_join(files_win, "Larkspan")
        self.home = self.appdata / "Larkspan"
        # The user's catalogue home is every test's default when it exists:
        # none may be left before or after.
        self.addCleanup(self.remove_traces)
        self.remove_traces()
        with zipfile.ZipFile(ZIP) as archive:
            self.packed_exe = archive.read("larkspan.exe")

    def remove_traces(self):
        for folder_win in (self.user_dir_win, self.all_dir_win):
            subprocess.run(["rm", "-rf", str(linux_path(folder_win))], check=True)
        subprocess.run(["rm", "-rf", str(self.home), str(self.local_data)], check=True)
        for programs in (CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, CSIDL_SENDTO):
            (special_folder(self.driver, programs)[1] / SHORTCUT).unlink(missing_ok=True)
        for root in ("HKCU", "HKLM"):
            Registry.delete_key(f"{root}\\{UNINSTALL_KEY}")
        run(["wine", "reg", "delete", RUN_KEY, "/v", "Larkspan", "/f"])
        Registry.delete_key(APP_KEY)

    # -- steps --

    def local_cache(self) -> Path:
        """The picture cache the bar keeps in the user's local data, there
        whether or not the first run's targets had pictures to keep."""
        cache = self.local_data / "pictures.cache"
        if not cache.exists():
            self.local_data.mkdir(parents=True, exist_ok=True)
            cache.write_bytes(b"")
        return cache

    def install(self, *switches) -> None:
        done = run(["wine", wine_path(SETUP), "/S", *switches], timeout=INSTALL_TIMEOUT)
        self.assertEqual(done.returncode, 0, f"setup {switches}: {text(done.stderr)[-2000:]}")

    def uninstall(self, folder_win: str, *switches) -> None:
        """Runs the installed uninstaller; it goes on from a copy of itself,
        so wait for what it removes."""
        done = run(["wine", windows_join(folder_win, UNINSTALLER), "/S", *switches], timeout=UNINSTALL_TIMEOUT)
        self.assertEqual(done.returncode, 0, text(done.stderr)[-2000:])
        folder = linux_path(folder_win)
        wait_until(lambda: not folder.exists(), UNINSTALL_TIMEOUT, f"{folder} to be removed")

    def start_installed_bar(self, folder_win: str) -> None:
        """Starts the installed exe, waits for its bar, closes it again."""
        program = Program(linux_path(windows_join(folder_win, "larkspan.exe")), cwd=self.config.work,
                          log=self.config.work / "logs" / f"{self.name}.log")
        self.programs.append(program)
        bar = self.wait_bar_window(program)
        wait_until(lambda: self.driver.find_window(title=ABOUT_TITLE) is None, 20,
                   "the first run's import to end")
        self.screenshot(f"release-installed-bar-{self._testMethodName}")
        self.assertEqual(self.close_bar(program, bar), 0)

    def assert_installed(self, folder_win: str, root: str, programs: int) -> None:
        folder = linux_path(folder_win)
        self.assertEqual(files_below(folder), sorted(PACKED + [UNINSTALLER]))
        self.assertTrue((folder / "larkspan.exe").read_bytes() == self.packed_exe, "the installed exe")
        self.assertTrue((special_folder(self.driver, programs)[1] / SHORTCUT).is_file(), "the Start-menu shortcut")
        entry = Registry.query(f"{root}\\{UNINSTALL_KEY}")
        self.assertIsNotNone(entry, "the Apps & features entry")
        exe_win = windows_join(folder_win, "larkspan.exe")
        uninstaller = f'"{windows_join(folder_win, UNINSTALLER)}"'
        self.assertEqual({name: entry[name].data for name in
                          ("DisplayName", "DisplayVersion", "Publisher", "DisplayIcon", "InstallLocation",
                           "UninstallString", "QuietUninstallString")},
                         {"DisplayName": "Larkspan", "DisplayVersion": VERSION, "Publisher": "Brindlewick",
                          "DisplayIcon": f"{exe_win},0", "InstallLocation": folder_win,
                          "UninstallString": uninstaller, "QuietUninstallString": f"{uninstaller} /S"})
        self.assertGreater(int(entry["EstimatedSize"].data, 16), 100, "the size in KB")
        send_to = read_shortcut(self.driver, windows_join(special_folder(self.driver, CSIDL_SENDTO)[0], SHORTCUT))
        self.assertIsNotNone(send_to, "the Send To entry")
        self.assertEqual(send_to, (exe_win, "/add"))

    def assert_removed(self, folder_win: str, root: str, programs: int) -> None:
        self.assertFalse(linux_path(folder_win).exists())
        self.assertFalse((special_folder(self.driver, programs)[1] / SHORTCUT).exists(), "the shortcut")
        self.assertFalse((special_folder(self.driver, CSIDL_SENDTO)[1] / SHORTCUT).exists(), "the Send To entry")
        self.assertIsNone(Registry.query(f"{root}\\{UNINSTALL_KEY}"), "the Apps & features entry")
        self.assertNotIn("Larkspan", Registry.query(RUN_KEY) or {}, "the Run value")

    # -- tests --

    def test_a_user_install_starts_with_windows_and_its_uninstall_keeps_the_catalogue(self):
        self.install("/StartWithWindows")
        self.assert_installed(self.user_dir_win, "HKCU", CSIDL_PROGRAMS)
        exe_win = windows_join(self.user_dir_win, "larkspan.exe")
        self.assertEqual(Registry.query(RUN_KEY)["Larkspan"].data, f'"{exe_win}"')

        # The user may write the install folder, yet the catalogue goes to
        # the user's data, and the setting names it.
        self.start_installed_bar(self.user_dir_win)
        catalogue = self.home / CATALOGUE_NAME
        self.assertTrue(catalogue.is_file(), f"no catalogue in {self.home}")

        # Send To with two files: Explorer runs the entry's target with its
        # arguments and each file quoted. No bar runs: one starts with them.
        target, arguments = read_shortcut(
            self.driver, windows_join(special_folder(self.driver, CSIDL_SENDTO)[0], SHORTCUT))
        documents = linux_path(self.user_dir_win).parent / "Sent files"
        documents.mkdir(exist_ok=True)
        self.addCleanup(shutil.rmtree, documents, True)
        for name in ("First note.txt", "Second note.txt"):
            (documents / name).write_text("sent")
        files = [windows_join(wine_path(documents), name) for name in ("First note.txt", "Second note.txt")]
        sent = Program(linux_path(target), cwd=self.config.work, log=self.config.work / "logs" / f"{self.name}.sent.log",
                       arguments=[arguments, *files])
        self.programs.append(sent)
        bar = self.wait_bar_window(sent)
        wait_until(lambda: b"First note=" in bytes_now(catalogue) and b"Second note=" in bytes_now(catalogue),
                   20, "both files in the catalogue")
        self.assertIn(f"First note={files[0]}\r\n".encode(), catalogue.read_bytes())
        self.assertEqual(self.close_bar(sent, bar), 0)
        self.assertFalse((linux_path(self.user_dir_win) / CATALOGUE_NAME).exists())
        home_win = windows_join(windows_join(self.appdata_win, "Larkspan"), CATALOGUE_NAME)
        self.assertEqual(Registry.settings()["INI_Path"].data, home_win)
        kept = catalogue.read_bytes()

        cache = self.local_cache()
        self.uninstall(self.user_dir_win)
        self.assert_removed(self.user_dir_win, "HKCU", CSIDL_PROGRAMS)
        self.assertEqual(catalogue.read_bytes(), kept, "the catalogue after the uninstall")
        self.assertIsNotNone(Registry.settings(), "the settings after the uninstall")
        self.assertTrue(cache.is_file(), "the picture cache after an uninstall that keeps the user's data")

    def test_an_install_for_everyone_and_an_uninstall_that_removes_the_users_data(self):
        self.install("/AllUsers")
        self.assert_installed(self.all_dir_win, "HKLM", CSIDL_COMMON_PROGRAMS)
        self.assertIsNone(Registry.query(f"HKCU\\{UNINSTALL_KEY}"))
        self.assertNotIn("Larkspan", Registry.query(RUN_KEY) or {}, "a Run value nobody asked for")

        self.start_installed_bar(self.all_dir_win)
        self.assertTrue((self.home / CATALOGUE_NAME).is_file())

        self.local_cache()
        self.uninstall(self.all_dir_win, "/RemoveUserData")
        self.assert_removed(self.all_dir_win, "HKLM", CSIDL_COMMON_PROGRAMS)
        self.assertFalse(self.home.exists(), "the catalogue's folder")
        self.assertFalse(self.local_data.exists(), "the picture cache's folder")
        self.assertIsNone(Registry.query(APP_KEY), "the settings")

    def test_setup_speaks_windows_display_language(self):
        """Run by hand on a German Windows, Setup's pages are German, its own
        page included; it is closed before it installs anything."""
        german = {**os.environ, "LANG": "de_DE.UTF-8", "LC_ALL": "de_DE.UTF-8"}
        setup = subprocess.Popen(["wine", wine_path(SETUP)], env=german, stdin=subprocess.DEVNULL,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: (setup.kill(), setup.wait(timeout=30)))
        title = f"Larkspan {VERSION} Installation"
        window = self.wait_window("Setup in German", timeout=INSTALL_TIMEOUT, title=title)

        def shows(*captions):
            shown = {c.caption for c in child_windows(self.driver, window) if c.visible}
            return all(caption in shown for caption in captions)

        wait_until(lambda: shows("Weiter >", "Abbrechen"), 10, "the German welcome page")
        self.screenshot("release-setup-de-welcome")
        click_dialog_button(self.driver, window, "Weiter >")
        wait_until(lambda: shows("Benutzer auswählen", "Nur für mich (empfohlen)",
                                 "Für alle Benutzer dieses Computers (erfordert Administratorrechte)"),
                   10, "Setup's own page in German")
        self.screenshot("release-setup-de-users")
        self.assertIsNone(Registry.query(f"HKCU\\{UNINSTALL_KEY}"), "Setup installed before it was asked to")


if __name__ == "__main__":
    harness.main()
