#!/usr/bin/env python3
"""End-to-end tests of button pictures: a program's own icon, the folder
picture and a type picture from settings.ini's cache, at the small size and
at the large one, which makes the buttons and the floating window taller;
a program with arguments, addresses of any scheme, internet shortcuts and
a missing target.

Each test installs, beside a fresh copy of larkspan.exe, two copies of the
probe program (an icon of its own) in subfolders, a settings.ini whose
[Files] maps HTM to a picture in the Icons folder, and a catalogue.
Run under scripts/with-wine.sh, or directly:
python3 tests/e2e/test_pictures.py [-v] [PictureTests.test_name].
"""

import contextlib
import os
import shutil
import sys
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))

import harness  # noqa: E402
from harness import (ABOUT_TITLE, FLOAT_CLASS, REPO, LarkspanTestCase, Mouse, Registry,  # noqa: E402
                     run, text, wait_until)

LOAD_TIMEOUT = 20.0

# The cached web picture: the database artwork, unlike every other picture.
HTM_PICTURE = REPO / "resources" / "art" / "mdb.ico"

# Index of the fallbacks in both image lists: "no" is added first, "folder"
# second.
NO_INDEX, FOLDER_INDEX = 0, 1

# Colours of the pictures as the bar draws them; a picture is recognised by
# which of these most of its pixels are close to.
PALETTE = {
    "probe": [(177, 246, 59), (120, 190, 40)],
    "folder": [(252, 209, 82), (242, 178, 51), (183, 121, 31)],
    "htm": [(184, 58, 75), (224, 106, 120), (122, 30, 43)],
    "no": [(107, 114, 128), (138, 147, 160)],
    "web": [(59, 130, 246), (30, 79, 184)],
}
NEAR = 40  # largest distance per channel to a palette colour

# Tools: the probe twice, a folder (no "." anywhere in its path, or the text
# after the last "." would be taken for a file type) and a web address.
EXPECTED = ["probe", "probe", "folder", "htm"]


def ppm_pixels(data: bytes) -> tuple:
    """(width, height, [(r, g, b), ...]) of a binary PPM (P6, maxval 255)."""
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    magic, width, height, maxval = fields[0], int(fields[1]), int(fields[2]), int(fields[3])
    if magic != b"P6" or maxval != 255:
        raise ValueError(f"unexpected PPM header {fields}")
    body = data[pos + 1:pos + 1 + width * height * 3]
    return width, height, [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]


def picture_kinds(screenshot: Path, rect) -> dict:
    """How many pixels of the screen rectangle look like each palette entry."""
    done = run(["convert", screenshot, "-crop", f"{rect.width}x{rect.height}+{rect.left}+{rect.top}",
                "+repage", "ppm:-"], timeout=60)
    if done.returncode != 0:
        raise RuntimeError(f"convert failed: {text(done.stderr)}")
    _, _, pixels = ppm_pixels(done.stdout)
    counts = {kind: 0 for kind in PALETTE}
    for pixel in pixels:
        for kind, colours in PALETTE.items():
            if any(all(abs(p - c) <= NEAR for p, c in zip(pixel, colour)) for colour in colours):
                counts[kind] += 1
                break
    return counts


class PictureTests(LarkspanTestCase):

    def setUp(self):
        super().setUp()
        one, two = self.install_probe("one"), self.install_probe("two")
        (self.install_dir / "Icons").mkdir()
        shutil.copy2(HTM_PICTURE, self.install_dir / "Icons" / "htm.ico")
        # Found only in the Icons folder, as the name is not beside the exe.
        (self.install_dir / "settings.ini").write_bytes(b"[Files]\r\nHTM=htm.ico\r\n")
        self.write_catalogue(
            "[Tools]",
            "Probe One=" + one.exe_win,
            "Probe Two=" + two.exe_win,
            r"Windows=C:\windows",
            "Home=http://example.invalid/",
        )

    def start_and_wait(self):
        program = self.start_program()
        hwnd = self.wait_bar_window(program)
        wait_until(lambda: self.driver.find_window(title=ABOUT_TITLE) is None, LOAD_TIMEOUT,
                   "the About box to close after the load")
        return program, hwnd

    def button_images(self) -> dict:
        """{control id: (visible, (width, height), [image index per button])}
        of the floating window's toolbars."""
        bars, current = {}, None
        for line in self.driver.ok("button-images", "--class", FLOAT_CLASS).splitlines():
            kind, *fields = line.split("\t")
            if kind == "toolbar":
                width, height = map(int, fields[3].split())
                current = []
                bars[int(fields[1])] = (fields[2] == "1", (width, height), current)
            elif kind == "image":
                current.append(int(fields[1]))
        return bars

    def wait_pictures(self, timeout: float = LOAD_TIMEOUT) -> dict:
        """Waits until no button of a shown toolbar waits for its picture
        (a negative image index); returns button_images()."""
        def arrived():
            bars = self.button_images()
            waiting = [i for visible, _, images in bars.values() if visible for i in images if i < 0]
            return None if waiting else bars
        return wait_until(arrived, timeout, "every shown button's picture")

    def check_bar(self, picture: int, shot_name: str):
        """The first section's toolbar shows four buttons sized for
        `picture`-pixel pictures, each drawing the expected picture; returns
        the floating window's rectangle."""
        program, hwnd = self.start_and_wait()
        shown = [t for t in self.driver.toolbars(cls=FLOAT_CLASS) if t.visible]
        self.assertEqual(len(shown), 1, f"toolbars shown: {shown}")
        toolbar = shown[0]
        self.assertEqual(toolbar.button_count, len(EXPECTED))
        for n, rect in enumerate(toolbar.buttons, 1):
            self.assertTrue(picture + 2 <= rect.height <= picture + 16,
                            f"button {n} is {rect.width} x {rect.height} for {picture}-pixel pictures")
            self.assertTrue(picture + 2 <= rect.width <= picture + 24,
                            f"button {n} is {rect.width} x {rect.height} for {picture}-pixel pictures")
        self.assertGreaterEqual(toolbar.rect.height, toolbar.buttons[0].height)

        # Which pictures: the fallbacks come first in the lists, then the
        # cached HTM, then each extracted program under its own key.
        visible, size, images = self.wait_pictures()[toolbar.control_id]
        self.assertTrue(visible)
        self.assertEqual(size, (toolbar.buttons[0].width, toolbar.buttons[0].height))
        one, two, folder, web = images
        self.assertEqual(folder, FOLDER_INDEX, f"image indices {images}")
        self.assertNotIn(NO_INDEX, images, f"image indices {images}")
        self.assertEqual(len({one, two, web, folder}), 4, f"image indices {images}")

        window = self.driver.window_rect(hwnd)
        shot = self.screenshot(shot_name)
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        for n, (rect, expected) in enumerate(zip(toolbar.buttons, EXPECTED), 1):
            kinds = picture_kinds(shot, rect)
            seen = max(kinds, key=kinds.get)
            self.assertEqual(seen, expected, f"button {n} at {rect} looks like {kinds}")
            # Most of a picture is drawn in its own colours.
            self.assertGreaterEqual(kinds[seen], picture * picture // 6, f"button {n}: {kinds}")
        self.assertEqual(self.close_bar(program, hwnd), 0)
        return window

    def test_small_then_large_pictures(self):
        Registry.set_settings(Size="1")
        small = self.check_bar(16, "pictures-16")
        self.assertEqual(Registry.settings()["Size"].data, "1")

        Registry.set_settings(Size="0")
        large = self.check_bar(32, "pictures-32")
        self.assertGreaterEqual(large.height - small.height, 12,
                                f"floating window {small} with 16-pixel pictures, {large} with 32")

    def test_arguments_addresses_internet_shortcuts_and_a_missing_target(self):
        # No cached web picture: an address shows the picture of its scheme.
        (self.install_dir / "settings.ini").unlink()
        probe = self.install_dir / "one" / harness.PROBE_NAME
        probe_win = harness.windows_join(harness.wine_path(probe.parent), probe.name)
        scheme_key = r"HKLM\Software\Classes\larkspan-e2e"
        self.addCleanup(Registry.delete_key, scheme_key)
        Registry.add(scheme_key, "URL Protocol", "")
        Registry.add(scheme_key + r"\DefaultIcon", "", probe_win + ",0")
        links = self.install_dir / "links"
        links.mkdir()
        (links / "named.url").write_bytes(b"[InternetShortcut]\r\nURL=https://example.invalid/\r\n"
                                          b"IconFile=" + probe_win.encode("cp1252") + b"\r\nIconIndex=0\r\n")
        (links / "plain.url").write_bytes(b"[InternetShortcut]\r\nURL=https://example.invalid/\r\n")
        links_win = harness.wine_path(links)
        self.write_catalogue(
            "[Tools]",
            "Probe=" + probe_win,
            f'Probe With Arguments="{probe_win}" /x',
            "Secure=https://example.invalid/",
            "Own Scheme=larkspan-e2e:open",
            "Named Link=" + harness.windows_join(links_win, "named.url"),
            "Plain Link=" + harness.windows_join(links_win, "plain.url"),
            r"Missing=C:\nowhere\gone.exe",
        )
        expected = ["probe", "probe", "web", "probe", "probe", "web", "no"]
        program, hwnd = self.start_and_wait()
        (toolbar,) = [t for t in self.driver.toolbars(cls=FLOAT_CLASS) if t.visible]
        images = self.wait_pictures()[toolbar.control_id][2]
        plain, arguments, secure, own, named, link, missing = images
        self.assertEqual(arguments, plain, f"image indices {images}")
        self.assertEqual(missing, NO_INDEX, f"image indices {images}")
        self.assertNotIn(NO_INDEX, images[:-1], f"image indices {images}")
        Mouse.move(2, 2)
        shot = self.screenshot("pictures-arguments-addresses-links")
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        for n, (rect, kind) in enumerate(zip(toolbar.buttons, expected), 1):
            kinds = picture_kinds(shot, rect)
            self.assertEqual(max(kinds, key=kinds.get), kind, f"button {n} at {rect} looks like {kinds}")
        # With or without arguments, the same pixels.
        first, second = (run(["convert", shot, "-crop", f"{r.width}x{r.height}+{r.left}+{r.top}", "+repage",
                              "ppm:-"], timeout=60).stdout for r in toolbar.buttons[:2])
        self.assertEqual(first, second)
        self.assertEqual(self.close_bar(program, hwnd), 0)

    def test_pictures_arrive_after_the_bar_and_come_from_the_cache_next_time(self):
        # Many programs with real icons: extracting them takes seconds.
        folder = self.install_dir / "many"
        folder.mkdir()
        targets = []
        for n in range(MANY):
            target = folder / f"program{n:04}.exe"
            os.link(self.config.probe, target)
            targets.append(f"P{n:04}=" + harness.windows_join(harness.wine_path(folder), target.name))
        # A second section, not shown until the user picks it.
        later = self.install_dir / "later"
        later.mkdir()
        tools = []
        for n in range(LATER):
            os.link(self.config.probe, later / f"tool{n:02}.exe")
            tools.append(f"T{n:02}=" + harness.windows_join(harness.wine_path(later), f"tool{n:02}.exe"))
        self.write_catalogue("[Many]", *targets, "[Later]", *tools)
        cache = self.picture_cache()
        cache.unlink(missing_ok=True)
        self.addCleanup(cache.unlink, missing_ok=True)

        # The bar is up and usable while pictures are still on their way:
        # the moment its toolbar holds every button, the program itself
        # counts the pictures it still waits for (one question, where
        # reading every button's picture would take longer than they do).
        program, hwnd = self.start_and_wait()

        def usable():
            for line in self.driver.ok("toolbars", "--class", FLOAT_CLASS, "--counts").splitlines():
                fields = line.split("\t")
                if fields[0] == "toolbar" and fields[3] == "1" and int(fields[5]) == MANY:
                    return self.driver.counts(cls=FLOAT_CLASS)["pending"] + 1
            return None
        waiting = wait_until(usable, 60, f"the shown toolbar to hold its {MANY} buttons") - 1
        self.assertGreater(waiting, 0, "every picture was in before the bar could be used")
        print(f"\n[e2e] {waiting} of {MANY} pictures still on their way at first sight", file=sys.stderr)
        shot = self.screenshot("pictures-arriving")
        print(f"[e2e] screenshot: {shot}", file=sys.stderr)
        (_, _, images), = [bar for bar in self.wait_pictures(120).values() if bar[0]]
        self.assertNotIn(NO_INDEX, images)
        first = self.button_pixels()
        self.assertEqual(self.close_bar(program, hwnd), 0)
        wait_until(cache.exists, LOAD_TIMEOUT, f"the picture cache {cache}")
        # The section never shown had nothing made.
        self.assertNotIn(b"\\later\\", cache.read_bytes().lower(), "pictures made of a section never shown")

        # The next start takes every picture from the cache: nothing is
        # extracted (Wine traces each extraction), and the pixels are the same.
        with harness_env(WINEDEBUG="trace+icon"):
            program, hwnd = self.start_and_wait()
        self.wait_pictures(120)
        self.assertEqual(self.button_pixels(), first, "pictures from the cache differ")
        # The other section gets its pictures once it is shown.
        strip = self.driver.tabs(cls=FLOAT_CLASS)
        Mouse.click(*strip.tabs[1].rect.centre)
        wait_until(lambda: [t for t in self.driver.toolbars(cls=FLOAT_CLASS)
                            if t.visible and t.button_count == LATER] or None, 60, "the second section's toolbar")
        (_, _, images), = [bar for bar in self.wait_pictures(120).values() if bar[0]]
        self.assertEqual(len(images), LATER)
        self.assertNotIn(NO_INDEX, images)
        shot = self.screenshot("pictures-second-section")
        print(f"\n[e2e] screenshot: {shot}", file=sys.stderr)
        (toolbar,) = [t for t in self.driver.toolbars(cls=FLOAT_CLASS) if t.visible]
        for n, rect in enumerate(toolbar.buttons, 1):
            kinds = picture_kinds(shot, rect)
            self.assertEqual(max(kinds, key=kinds.get), "probe", f"button {n} at {rect} looks like {kinds}")
        self.assertEqual(self.close_bar(program, hwnd), 0)
        log = program.log_text().splitlines()
        extracted = [line for line in log if "PrivateExtractIconsW" in line and "program" in line]
        self.assertEqual(extracted, [], "extracted again on the second start")
        self.assertTrue([line for line in log if "PrivateExtractIconsW" in line and "tool" in line],
                        "the second section's pictures were not extracted when it showed")
        # Now in the cache, beside the first section's, which were kept.
        wait_until(lambda: b"\\later\\" in cache.read_bytes().lower() or None, LOAD_TIMEOUT,
                   "the second section's pictures in the cache")
        self.assertEqual(cache.read_bytes().lower().count(b"\\many\\"), MANY)

    def picture_cache(self) -> Path:
        """The picture cache file in the prefix's local application data."""
        local = self.driver.ok("folder-path", "--csidl", "28").strip()
        done = run(["winepath", "-u", local + "\\Larkspan\\pictures.cache"], timeout=30)
        return Path(text(done.stdout).strip())

    def button_pixels(self) -> bytes:
        """The pixels of the shown toolbar's first buttons on screen."""
        (toolbar,) = [t for t in self.driver.toolbars(cls=FLOAT_CLASS) if t.visible]
        shot = self.screenshot("pictures-buttons")
        crops = b""
        for rect in toolbar.buttons[:12]:
            done = run(["convert", shot, "-crop", f"{rect.width}x{rect.height}+{rect.left}+{rect.top}",
                        "+repage", "ppm:-"], timeout=60)
            crops += done.stdout
        return crops


# Enough programs that their pictures cannot all be in before the bar shows.
MANY = 2000
# The programs of the section shown later.
LATER = 12


@contextlib.contextmanager
def harness_env(**values):
    """Environment values for the programs started inside the block."""
    saved = {name: os.environ.get(name) for name in values}
    os.environ.update(values)
    try:
        yield
    finally:
        for name, value in saved.items():
            if value is None:
                os.environ.pop(name, None)
            else:
                os.environ[name] = value


if __name__ == "__main__":
    harness.main()
