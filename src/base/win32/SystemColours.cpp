#include "base/win32/SystemColours.h"

#include <cwchar>

namespace lark::win {

bool SystemColourService::AppsUseLightTheme() {
    DWORD value = 1;
    DWORD size = sizeof value;
    const LSTATUS status =
        RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                     L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &value, &size);
    return status != ERROR_SUCCESS || value != 0;
}

bool SystemColourService::HighContrast() {
    HIGHCONTRASTW state{};
    state.cbSize = sizeof state;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof state, &state, 0) &&
           (state.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

SystemColours SystemColourService::Colours() {
    SystemColours c;
    c.face = GetSysColor(COLOR_BTNFACE);
    c.faceText = GetSysColor(COLOR_BTNTEXT);
    c.shadow = GetSysColor(COLOR_BTNSHADOW);
    c.window = GetSysColor(COLOR_WINDOW);
    c.windowText = GetSysColor(COLOR_WINDOWTEXT);
    c.highlight = GetSysColor(COLOR_HIGHLIGHT);
    c.highlightText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    c.grayText = GetSysColor(COLOR_GRAYTEXT);
    c.menu = GetSysColor(COLOR_MENU);
    c.menuText = GetSysColor(COLOR_MENUTEXT);
    c.hotLight = GetSysColor(COLOR_HOTLIGHT);
    c.infoBack = GetSysColor(COLOR_INFOBK);
    c.infoText = GetSysColor(COLOR_INFOTEXT);
    return c;
}

std::optional<ColourNews> ColourNewsOf(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SYSCOLORCHANGE) return ColourNews::SystemColours;
    if (message != WM_SETTINGCHANGE) return std::nullopt;
    if (wParam == SPI_SETHIGHCONTRAST) return ColourNews::HighContrast;
    const auto* area = reinterpret_cast<const wchar_t*>(lParam);
    if (area && std::wcscmp(area, L"ImmersiveColorSet") == 0) return ColourNews::AppMode;
    return std::nullopt;
}

}  // namespace lark::win
