#pragma once
// The bar's texts and dialog templates from this program's resources, in the
// language chosen for the run, each falling back to English on its own.
#include <windows.h>

#include <cstdint>
#include <string>

#include "base/Language.h"
#include "base/Texts.h"

namespace lark::win {

class ResourceTexts : public ITextSource {
public:
    explicit ResourceTexts(const Language& language) : language_(&language) {}
    std::string Load(int id) const override;
    const Language& Spoken() const { return *language_; }

private:
    const Language* language_;
};

// Chooses the run's language: the thread's UI language (the system's own
// buttons and dialogs follow it) and the source of Text(). Before the first
// window.
void SpeakLanguage(const Language& language);
const Language& SpokenLanguage();
// Windows' display language.
uint16_t DisplayLanguage();

// A dialog template in the spoken language, else in English; nullptr when
// there is none.
LPCDLGTEMPLATEW DialogTemplate(int id);

}  // namespace lark::win
