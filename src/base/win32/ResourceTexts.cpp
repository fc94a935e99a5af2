#include "base/win32/ResourceTexts.h"

#include "base/win32/Text.h"

namespace lark::win {
namespace {

constexpr WORD kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

const Language* g_spoken = nullptr;

// The resource in the language (translations are stored language-neutral,
// English as US English), else in English.
const void* FindInLanguage(const wchar_t* type, const wchar_t* name, const Language& language, DWORD* size) {
    HMODULE module = GetModuleHandleW(nullptr);
    const WORD tries[] = {MAKELANGID(language.primary(), SUBLANG_NEUTRAL), language.langId, kEnglish};
    for (WORD lang : tries) {
        HRSRC found = FindResourceExW(module, type, name, lang);
        if (!found) continue;
        HGLOBAL loaded = LoadResource(module, found);
        if (!loaded) continue;
        if (size) *size = SizeofResource(module, found);
        return LockResource(loaded);
    }
    return nullptr;
}

// One string of a block of sixteen: each a count of UTF-16 units, then the units.
std::wstring StringInBlock(const void* block, DWORD size, int index) {
    const auto* p = static_cast<const WCHAR*>(block);
    const WCHAR* end = p + size / sizeof(WCHAR);
    for (int i = 0; p < end; ++i) {
        const WORD length = *p++;
        if (length > end - p) return {};
        if (i == index) return std::wstring(p, length);
        p += length;
    }
    return {};
}

}  // namespace

std::string ResourceTexts::Load(int id) const {
    const auto block = static_cast<WORD>((id >> 4) + 1);
    for (const Language* language : {language_, &EnglishLanguage()}) {
        DWORD size = 0;
        const void* data = FindInLanguage(RT_STRING, MAKEINTRESOURCEW(block), *language, &size);
        if (!data) continue;
        const std::wstring text = StringInBlock(data, size, id & 15);
        // A text not yet translated shows in English.
        if (!text.empty()) return Narrow(text);
    }
    return {};
}

void SpeakLanguage(const Language& language) {
    static ResourceTexts texts(language);
    texts = ResourceTexts(language);
    g_spoken = &language;
    SetThreadUILanguage(language.langId);
    UseTexts(&texts);
}

const Language& SpokenLanguage() { return g_spoken ? *g_spoken : EnglishLanguage(); }

uint16_t DisplayLanguage() { return GetUserDefaultUILanguage(); }

LPCDLGTEMPLATEW DialogTemplate(int id) {
    return static_cast<LPCDLGTEMPLATEW>(FindInLanguage(RT_DIALOG, MAKEINTRESOURCEW(id), SpokenLanguage(), nullptr));
}

}  // namespace lark::win
