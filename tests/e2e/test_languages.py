#!/usr/bin/env python3
"""End-to-end tests of the bar's languages: Wine's display language set
through LANG for the program's process, the "Language" setting chosen in
Options by the keyboard alone, the menu, Options and a message in German and
French, at 100 % and at 150 %.

Run under scripts/with-wine.sh, or directly: python3 tests/e2e/test_languages.py -v
"""

import sys
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))

import harness  # noqa: E402
from harness import (DIALOG_CLASS, FLOAT_CLASS, TITLE, Keyboard, Registry, child_windows, open_popup_menu,  # noqa: E402
                     wait_until)
import test_dpi  # noqa: E402  (not its tests: unittest would run what this module names)
from test_editing import steps_down  # noqa: E402  (the menu's items, from the top)
from test_options import BarTestCase  # noqa: E402

CATALOGUE = (
    r"[Tools]",
    r"Notepad=C:\windows\notepad.exe",
    r"Calc=C:\windows\system32\calc.exe",
)
# Wine takes its display language from the locale of the process.
GERMAN = {"LANG": "de_DE.UTF-8", "LC_ALL": "de_DE.UTF-8"}
FRENCH = {"LANG": "fr_FR.UTF-8", "LC_ALL": "fr_FR.UTF-8"}
SPANISH = {"LANG": "es_ES.UTF-8", "LC_ALL": "es_ES.UTF-8"}
ABOUT_CLASS = "LarkspanAbout"
LOAD_TIMEOUT = 20.0
UI_TIMEOUT = 10.0

# What each language's Options shows: its caption and some of its texts.
OPTIONS = {
    "de": ("Optionen", {"Übernehmen", "Abbrechen", "Automatisch ausblenden", "Sprache:",
                        "Wird beim nächsten Start von Larkspan wirksam."}),
    "fr": ("Options", {"Appliquer", "Annuler", "Masquer automatiquement", "Langue :",
                       "Prend effet au prochain démarrage de Larkspan."}),
    "es": ("Opciones", {"Aplicar", "Cancelar", "Ocultar automáticamente", "Idioma:",
                        "Se aplicará la próxima vez que se inicie Larkspan."}),
    "en": ("Options", {"Apply", "Cancel", "AutoHide mode", "Language:",
                       "Takes effect the next time Larkspan starts."}),
}

ABOUT = {
    "de": ("Info über Larkspan", {"OK", "Systeminfo...", "Protokoll öffnen"}),
    "fr": ("À propos de Larkspan", {"OK", "Infos système...", "Ouvrir le journal"}),
    "en": ("About Larkspan", {"OK", "System Info...", "Open log"}),
}


class LanguageTests(BarTestCase):
    use_dpi = test_dpi.DpiTests.use_dpi
    _restore_dpi = test_dpi.DpiTests._restore_dpi

    def setUp(self) -> None:
        super().setUp()
        self.write_catalogue(*CATALOGUE)

    def start_in(self, env):
        program = self.start_program(env=env)
        hwnd = self.wait_bar_window(program)
        wait_until(lambda: self.driver.find_window(cls=ABOUT_CLASS) is None, LOAD_TIMEOUT, "the load to end")
        return program, hwnd

    def open_options(self, language: str, shot: str, access_key: str = "") -> str:
        """Opens Options from the menu by keys (its access key, as the
        picture of the menu shows it, or the arrows), checks it is in the
        language and takes pictures of both; returns the dialog."""
        open_popup_menu(self.driver, *self.tab_strip_spot(), timeout=UI_TIMEOUT)
        self.screenshot_noted(f"{shot}-menu")
        # The menu keeps its order in every language.
        Keyboard.press(*([access_key] if access_key else ["Down"] * steps_down("Options") + ["Return"]))
        caption, texts = OPTIONS[language]
        dialog = self.wait_window(f"Options in {language}", title=caption, cls=DIALOG_CLASS)
        shown = {c.caption for c in child_windows(self.driver, dialog) if c.visible}
        self.assertLessEqual(texts, shown, f"Options in {language}")
        self.screenshot_noted(f"{shot}-options")
        return dialog

    def open_about(self, language: str, shot: str) -> None:
        """Opens About from the menu by keys: its caption, buttons and the
        licence it states are in the language; a picture, then Escape."""
        open_popup_menu(self.driver, *self.tab_strip_spot(), timeout=UI_TIMEOUT)
        Keyboard.press(*["Down"] * steps_down("About ..."), "Return")
        caption, texts = ABOUT[language]
        about = self.wait_window(f"About in {language}", title=caption, cls=ABOUT_CLASS)
        shown = [c.caption for c in child_windows(self.driver, about) if c.visible]
        self.assertLessEqual(texts, set(shown), f"About in {language}")
        self.assertTrue(any("MIT" in text for text in shown), f"the licence in {shown}")
        self.screenshot_noted(f"{shot}-about")
        Keyboard.press("Escape")
        self.wait_gone(about, "About")

    def test_the_display_language_then_the_chosen_one_speaks_everywhere(self):
        program, bar = self.start_in(GERMAN)
        # Each button's text is its program's name, as screen readers read it.
        self.assertEqual(self.driver.button_texts(cls=FLOAT_CLASS)[0], ["Notepad", "Calc"])
        dialog = self.open_options("de", "languages-de", access_key="o")
        # The keyboard alone: the label's access key reaches the list, the
        # arrows choose ("Windows' language", Deutsch, English, Español,
        # Français), Enter is OK.
        Keyboard.press("alt+s")
        Keyboard.press(*["Down"] * 4)
        Keyboard.press("Return")
        self.wait_gone(dialog, "Options")
        self.open_about("de", "languages-de")

        # A message of the bar's own, in German.
        second = self.start_program(env=GERMAN)
        text = self.driver.msgbox_text(TITLE, timeout_ms=20000)
        self.assertEqual(text, "Die Anwendung wird bereits ausgeführt!")
        self.driver.press_ok(TITLE)
        self.assertEqual(second.wait_exit(self.EXIT_TIMEOUT), 0)

        self.assertEqual(self.close_bar(program, bar), 0)
        self.assertEqual(Registry.settings()["Language"].data, "fr-FR")

        # The choice outranks Windows' language from the next start on.
        program, bar = self.start_in(GERMAN)
        dialog = self.open_options("fr", "languages-fr")
        Keyboard.press("Escape")
        self.wait_gone(dialog, "Options")
        self.assertEqual(self.close_bar(program, bar), 0)

    def test_spanish_menu_and_options(self):
        program, bar = self.start_in(SPANISH)
        # "O" is "Ocultar automáticamente"'s: Opciones takes the next letter free.
        dialog = self.open_options("es", "languages-es", access_key="i")
        Keyboard.press("Escape")
        self.wait_gone(dialog, "Options")
        self.assertEqual(self.close_bar(program, bar), 0)

    def test_options_and_menu_fit_at_150_percent(self):
        self.use_dpi(144)
        for language, env in (("de", GERMAN), ("fr", FRENCH), ("en", None)):
            program, bar = self.start_in(env)
            dialog = self.open_options(language, f"languages-{language}-150")
            Keyboard.press("Escape")
            self.wait_gone(dialog, "Options")
            self.open_about(language, f"languages-{language}-150")
            self.assertEqual(self.close_bar(program, bar), 0)


if __name__ == "__main__":
    harness.main()
