// The settings store on the real registry, under a key of the test's own
// (HKCU\Software\<unique name>), removed afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>

#include "base/AppState.h"
#include "base/win32/RunKeyService.h"
#include "base/win32/Services.h"
#include "base/win32/Text.h"
#include "startup/Settings.h"

namespace lark::win {
namespace {

struct RawValue {
    DWORD type = REG_NONE;
    std::wstring text;  // as stored, terminating NUL included when there is one
};

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        app_ = "LarkspanTest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64());
    }
    void TearDown() override {
        const LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\" + Widen(app_)).c_str());
        EXPECT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << status;
    }

    std::wstring SectionKey() const { return L"Software\\" + Widen(app_) + L"\\Load"; }

    void SetRaw(const std::wstring& name, DWORD type, const void* data, DWORD bytes) const {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, SectionKey().c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        const LSTATUS status = RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes);
        RegCloseKey(key);
        ASSERT_EQ(status, ERROR_SUCCESS);
    }

    // Every value of the section key, by the name as stored.
    std::map<std::wstring, RawValue> RawValues() const {
        std::map<std::wstring, RawValue> out;
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionKey().c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return out;
        for (DWORD i = 0;; ++i) {
            wchar_t name[256];
            DWORD nameLength = 256, type = 0;
            BYTE data[2048];
            DWORD bytes = sizeof data;
            if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &bytes) != ERROR_SUCCESS) break;
            out[std::wstring(name, nameLength)] =
                RawValue{type, std::wstring(reinterpret_cast<const wchar_t*>(data), bytes / sizeof(wchar_t))};
        }
        RegCloseKey(key);
        return out;
    }

    std::string app_;
    RegistrySettingsStore store_;
};

// Sends the fixed application name of the settings to this test's own key.
class RenamedStore : public ISettingsStore {
public:
    RenamedStore(ISettingsStore& inner, std::string app) : inner_(inner), app_(std::move(app)) {}
    std::optional<std::string> Read(const std::string& app, const std::string& section,
                                    const std::string& key) override {
        EXPECT_EQ(app, "Larkspan");
        EXPECT_EQ(section, "Load");
        return inner_.Read(app_, section, key);
    }
    void Write(const std::string& app, const std::string& section, const std::string& key,
               const std::string& value) override {
        EXPECT_EQ(app, "Larkspan");
        EXPECT_EQ(section, "Load");
        inner_.Write(app_, section, key, value);
    }

private:
    ISettingsStore& inner_;
    std::string app_;
};

TEST_F(SettingsStoreTest, WritesTerminatedStringsAndReadsThemBack) {
    EXPECT_EQ(store_.Read(app_, "Load", "Size"), std::nullopt);  // no key at all yet
    store_.Write(app_, "Load", "INI_Path", "C:\\Caf\xC3\xA9\\zentrol.ini");
    store_.Write(app_, "Load", "Size", "0");
    store_.Write(app_, "Load", "Size", "1");

    const std::map<std::wstring, RawValue> raw = RawValues();
    ASSERT_EQ(raw.size(), 2u);
    EXPECT_EQ(raw.at(L"INI_Path").type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw.at(L"INI_Path").text, std::wstring(L"C:\\Caf\u00E9\\zentrol.ini") + L'\0');
    EXPECT_EQ(raw.at(L"Size").text, std::wstring(L"1") + L'\0');

    EXPECT_EQ(store_.Read(app_, "Load", "INI_Path"), "C:\\Caf\xC3\xA9\\zentrol.ini");
    EXPECT_EQ(store_.Read(app_, "Load", "Size"), "1");
    EXPECT_EQ(store_.Read(app_, "Load", "Top"), std::nullopt);
    EXPECT_EQ(store_.Read(app_, "Other", "Size"), std::nullopt);
}

TEST_F(SettingsStoreTest, ReadsAStringWithoutItsNulWholeAndANumberAsNothing) {
    const std::wstring text = L"12345";
    SetRaw(L"Top", REG_SZ, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)));
    const DWORD number = 7500;
    SetRaw(L"Width", REG_DWORD, &number, sizeof number);
    SetRaw(L"Left", REG_SZ, L"", sizeof(wchar_t));

    EXPECT_EQ(store_.Read(app_, "Load", "Top"), "12345");
    EXPECT_EQ(store_.Read(app_, "Load", "Width"), std::nullopt);
    EXPECT_EQ(store_.Read(app_, "Load", "Left"), "");
}

TEST_F(SettingsStoreTest, SaveThenLoadRoundTripsEverySetting) {
    AppState saved;
    saved.CataloguePath = "D:\\Bar\\Caf\xC3\xA9.ini";
    saved.IconSize = 0;
    saved.FloatTop = -120;
    saved.FloatLeft = 4500;
    saved.FloatWidth = 9000;
    saved.BarPosition = 2;
    saved.AutoHideOn = true;
    saved.Hotkey = KeyChord{kModWin | kModShift, 0xBA};
    saved.Theme = ColourSetting::Dark;
    RenamedStore renamed(store_, app_);
    SaveSettings(saved, renamed);

    const std::map<std::wstring, RawValue> raw = RawValues();
    const std::map<std::wstring, std::wstring> expected = {
        {L"INI_Path", L"D:\\Bar\\Caf\u00E9.ini"}, {L"Size", L"0"},      {L"Position", L"2"},
        {L"Top", L"-120"},                         {L"Left", L"4500"}, {L"Width", L"9000"},
        {L"Autohide", L"True"},                    {L"Hotkey", L"Win+Shift+;"},
        {L"Theme", L"dark"}};
    ASSERT_EQ(raw.size(), expected.size());
    for (const auto& [name, text] : expected) {
        ASSERT_EQ(raw.count(name), 1u) << Narrow(name);  // the name exactly as written, case included
        EXPECT_EQ(raw.at(name).type, static_cast<DWORD>(REG_SZ)) << Narrow(name);
        EXPECT_EQ(raw.at(name).text, text + L'\0') << Narrow(name);
    }

    AppState loaded;
    loaded.ScreenWidthPx = 1024;
    loaded.ScreenHeightPx = 768;
    loaded.TwipsPerPixelX = loaded.TwipsPerPixelY = TwipsPerPixel(96);
    LoadSettings(loaded, renamed);
    EXPECT_EQ(loaded.CataloguePath, saved.CataloguePath);
    EXPECT_EQ(loaded.IconSize, 0);
    EXPECT_EQ(loaded.FloatTop, -120);
    EXPECT_EQ(loaded.FloatLeft, 4500);
    EXPECT_EQ(loaded.FloatWidth, 9000);
    EXPECT_EQ(loaded.BarPosition, 2);
    EXPECT_TRUE(loaded.AutoHideOn);
    EXPECT_EQ(loaded.Hotkey, saved.Hotkey);
    EXPECT_EQ(loaded.Theme, ColourSetting::Dark);
}

TEST_F(SettingsStoreTest, TheRunListWritesReadsExpandsAndRemovesItsValue) {
    const std::wstring key = L"Software\\" + Widen(app_) + L"\\Run";
    RunKeyService run(key);
    EXPECT_EQ(run.Read(kRunValueName), std::nullopt);  // no key at all yet
    run.Remove(kRunValueName);                          // nothing to remove is no failure
    run.Write(kRunValueName, "\"C:\\Caf\xC3\xA9\\larkspan.exe\"");
    EXPECT_EQ(run.Read(kRunValueName), "\"C:\\Caf\xC3\xA9\\larkspan.exe\"");
    // An installer's "%SystemRoot%" reads as the folder it stands for.
    const std::wstring expand = L"%SystemRoot%\\x.exe";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Other", REG_EXPAND_SZ, expand.c_str(),
                              static_cast<DWORD>((expand.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    wchar_t root[MAX_PATH];
    ASSERT_GT(GetEnvironmentVariableW(L"SystemRoot", root, MAX_PATH), 0u);
    EXPECT_EQ(run.Read("Other"), Narrow(root) + "\\x.exe");
    run.Remove(kRunValueName);
    EXPECT_EQ(run.Read(kRunValueName), std::nullopt);
    EXPECT_TRUE(run.Read("Other"));  // only its own value goes
}

}  // namespace
}  // namespace lark::win
