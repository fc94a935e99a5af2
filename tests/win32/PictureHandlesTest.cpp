// Button pictures over the real image lists: handles do not pile up over
// repeated loads, a reload replaces what an earlier load stored under the
// same key, picture files load at both sizes, and the lists' set-up reads
// settings.ini's [Files] beside the program.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdint>
#include <cstdio>
#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "bar/win32/BarContent.h"
#include "base/AppState.h"
#include "base/RuntimeError.h"
#include "base/Unicode.h"
#include "base/win32/BackgroundThread.h"
#include "base/win32/Form.h"
#include "base/win32/GuiObjects.h"
#include "base/win32/Handles.h"
#include "base/win32/IconBits.h"
#include "base/win32/KeyedImageList.h"
#include "base/win32/Services.h"
#include "base/win32/Text.h"
#include "base/win32/UserFolders.h"
#include "foldermenu/win32/FolderWorker.h"
#include "icons/ButtonPictures.h"
#include "icons/win32/PictureWorker.h"
#include "icons/win32/TargetIcons.h"
#include "icons/win32/f_Util.h"

namespace lark::win {
namespace {

int ErrorOf(const std::function<void()>& step) {
    try {
        step();
    } catch (const RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

std::wstring ModuleFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\'));
}

std::string ModulePath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return Narrow(path);
}

// ------------------------------------------------------------ handle counts

// The counts must see a leak, or flat counts prove nothing.
TEST(GuiObjectCountTest, LeakedBitmapsIconsAndMenusShowInTheCounts) {
    // The system's own icon is loaded and cached at its first use.
    DestroyIcon(CopyIcon(LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION))));
    const GuiObjects before = CountGuiObjects();
    ASSERT_GT(before.gdi, 0);
    ASSERT_GT(before.user, 0);
    std::vector<HBITMAP> bitmaps;
    std::vector<HICON> icons;
    std::vector<HMENU> menus;
    for (int i = 0; i < 10; ++i) {
        bitmaps.push_back(CreateBitmap(16, 16, 1, 1, nullptr));
        icons.push_back(CopyIcon(LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION))));
        menus.push_back(CreatePopupMenu());
    }
    const GuiObjects during = CountGuiObjects();
    for (HBITMAP b : bitmaps) DeleteObject(b);
    for (HICON i : icons) DestroyIcon(i);
    for (HMENU m : menus) DestroyMenu(m);
    const GuiObjects after = CountGuiObjects();
    EXPECT_GE(during.gdi - before.gdi, 10);
    EXPECT_GE(during.user - before.user, 20);
    EXPECT_LE(after.gdi - before.gdi, 1);
    EXPECT_LE(after.user - before.user, 1);
}

// ----------------------------------------------------------------- pixels

// One picture of a list drawn on a cleared 32-bit surface, row by row.
std::vector<uint32_t> Pixels(const KeyedImageList& list, const std::string& key) {
    const int size = list.Size();
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueBitmap surface(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    SelectGuard select(dc.get(), surface.get());
    ImageList_Draw(list.Handle(), list.IndexOf(key), dc.get(), 0, 0, ILD_NORMAL);
    GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    std::vector<uint32_t> pixels(p, p + size * size);
    for (uint32_t& px : pixels) px &= 0xFFFFFFu;
    return pixels;
}

bool Blank(const std::vector<uint32_t>& pixels) {
    for (uint32_t p : pixels)
        if (p != 0) return false;
    return true;
}

// An icon drawn on a white surface of its own size; BGR at (x, y).
uint32_t IconPixel(HICON icon, int size, int x, int y) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueBitmap surface(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    SelectGuard select(dc.get(), surface.get());
    PatBlt(dc.get(), 0, 0, size, size, WHITENESS);
    DrawIconEx(dc.get(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    return static_cast<const uint32_t*>(bits)[y * size + x] & 0xFFFFFFu;
}

// The picture the lists would hold for a file, made the long way round.
// The file's own first icon at that size, as a list stores it.
std::vector<uint32_t> ReferencePixels(const std::string& file, int size) {
    HICON icon = nullptr;
    UINT id = 0;
    EXPECT_EQ(PrivateExtractIconsW(Widen(file).c_str(), 0, size, size, &icon, &id, 1, 0), 1u) << file;
    KeyedImageList list(size);
    list.Add("ref", icon);
    if (icon) DestroyIcon(icon);
    return Pixels(list, "ref");
}

// --------------------------------------------------------- picture files

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0xFF0000;    // 0xRRGGBB as the surfaces read back
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kMagenta = 0xFF00FF;

std::string Hex(uint32_t rgb) {
    char text[16];
    std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(rgb));
    return text;
}

void Put16(std::string& out, uint16_t v) { out.append(reinterpret_cast<const char*>(&v), 2); }
void Put32(std::string& out, uint32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); }

// An icon file of 32-bit frames, one colour each, with a transparent
// two-pixel edge.
std::string IconFile(const std::vector<std::pair<int, uint32_t>>& frames) {
    std::vector<std::string> images;
    for (const auto& [size, rgb] : frames) {
        std::string image;
        Put32(image, 40);
        Put32(image, static_cast<uint32_t>(size));
        Put32(image, static_cast<uint32_t>(size * 2));
        Put16(image, 1);
        Put16(image, 32);
        for (int i = 0; i < 6; ++i) Put32(image, 0);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const bool inside = x >= 2 && y >= 2 && x < size - 2 && y < size - 2;
                Put32(image, inside ? (0xFF000000u | rgb) : 0u);
            }
        const int maskRow = ((size + 31) / 32) * 4;
        for (int y = 0; y < size; ++y)
            for (int b = 0; b < maskRow; ++b) {
                uint8_t bits = 0;
                for (int k = 0; k < 8; ++k) {
                    const int x = b * 8 + k;
                    const bool inside = x >= 2 && y >= 2 && x < size - 2 && y < size - 2;
                    if (!inside) bits = static_cast<uint8_t>(bits | (0x80 >> k));
                }
                image += static_cast<char>(bits);
            }
        images.push_back(image);
    }
    std::string file;
    Put16(file, 0);
    Put16(file, 1);
    Put16(file, static_cast<uint16_t>(frames.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        const int size = frames[i].first;
        file += static_cast<char>(size);
        file += static_cast<char>(size);
        file += '\0';
        file += '\0';
        Put16(file, 1);
        Put16(file, 32);
        Put32(file, static_cast<uint32_t>(images[i].size()));
        Put32(file, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const std::string& image : images) file += image;
    return file;
}

// A 24-bit 20 x 20 bitmap: magenta ground (its top-left pixel, so the
// transparent colour) around a green square.
std::string BitmapFile() {
    constexpr int kSize = 20;
    constexpr int kRow = (kSize * 3 + 3) / 4 * 4;
    std::string file = "BM";
    Put32(file, 14 + 40 + kRow * kSize);
    Put32(file, 0);
    Put32(file, 14 + 40);
    Put32(file, 40);
    Put32(file, kSize);
    Put32(file, kSize);
    Put16(file, 1);
    Put16(file, 24);
    for (int i = 0; i < 6; ++i) Put32(file, 0);
    for (int y = 0; y < kSize; ++y) {
        std::string row;
        for (int x = 0; x < kSize; ++x) {
            const bool inside = x >= 5 && y >= 5 && x < 15 && y < 15;
            const uint32_t rgb = inside ? kGreen : kMagenta;
            row += static_cast<char>(rgb & 0xFF);
            row += static_cast<char>((rgb >> 8) & 0xFF);
            row += static_cast<char>((rgb >> 16) & 0xFF);
        }
        row.resize(kRow, '\0');
        file += row;
    }
    return file;
}

// A folder of its own under %TEMP%, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        path_ = std::wstring(temp) + L"larkspan-pictures-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(GetTickCount64());
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() { Remove(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string Path() const { return Narrow(path_); }
    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::wstring file = path_ + L"\\" + Widen(name);
        const size_t slash = file.find_last_of(L'\\');
        CreateDirectoryW(file.substr(0, slash).c_str(), nullptr);
        HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(h, INVALID_HANDLE_VALUE) << name;
        DWORD written = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(h);
        return Narrow(file);
    }

private:
    static void Remove(const std::wstring& folder) {
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring full = folder + L"\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    Remove(full);
                else
                    DeleteFileW(full.c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(folder.c_str());
    }

    std::wstring path_;
};

TEST(LoadPictureFileTest, IconsTakeTheFrameOfTheirSizeAndBitmapsAreScaled) {
    TempFolder folder;
    const std::string ico = folder.Write("two.ico", IconFile({{16, kRed}, {32, kBlue}}));
    const std::string bmp = folder.Write("square.bmp", BitmapFile());
    const std::string txt = folder.Write("notes.txt", "just some words\r\n");
    const std::string fakeIco = folder.Write("text.ico", "not an icon at all\r\n");

    for (const int size : {16, 32}) {
        SCOPED_TRACE(size);
        UniqueIcon icon = LoadPictureFile(ico, size);
        ASSERT_TRUE(icon);
        EXPECT_EQ(IconPixel(icon.get(), size, size / 2, size / 2), size == 16 ? kRed : kBlue);
        EXPECT_EQ(IconPixel(icon.get(), size, 0, 0), kWhite);

        UniqueIcon picture = LoadPictureFile(bmp, size);
        ASSERT_TRUE(picture);
        EXPECT_EQ(IconPixel(picture.get(), size, size / 2, size / 2), kGreen);
        EXPECT_EQ(IconPixel(picture.get(), size, 0, 0), kWhite);  // the ground colour is see-through
        EXPECT_EQ(IconPixel(picture.get(), size, size - 1, size - 1), kWhite);

        EXPECT_EQ(ErrorOf([&] { LoadPictureFile(txt, size); }), kErrInvalidPicture);
        EXPECT_EQ(ErrorOf([&] { LoadPictureFile(fakeIco, size); }), kErrInvalidPicture);
        EXPECT_EQ(ErrorOf([&] { LoadPictureFile(folder.Path() + "\\missing.ico", size); }), kErrInvalidPicture);
    }
}

// ------------------------------------------------- the lists of the bar

struct NoEvents : IBarContentEvents {};

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

class PictureListsTest : public ::testing::Test {
protected:
    void SetUp() override {
        util_.Load();
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"LarkspanPictureListsTest";
        RegisterClassExW(&wc);
        parent_ = CreateWindowExW(0, wc.lpszClassName, L"PictureListsTest", WS_OVERLAPPEDWINDOW, 0, 0, 400, 120,
                                  nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(parent_, nullptr);
        state_.IconSize = 1;
        util_.OnPicturesArrived([this](const std::vector<f_Util::Arrival>& arrivals) {
            for (const f_Util::Arrival& a : arrivals) arrived_[a.key] = pictures_.ShownKey(a.key, a.large, a.small);
        });
    }
    void TearDown() override {
        content_.reset();
        DestroyWindow(parent_);
    }
    void InitLists(const std::string& programFolder) {
        util_.InitImageLists(state_.IconKeys, programFolder, files_, codePage_);
    }
    // Runs the bar's message loop until the pictures of these keys have
    // arrived; the keys they show then.
    std::vector<std::string> WaitForPictures(const std::vector<std::string>& keys) {
        const ULONGLONG deadline = GetTickCount64() + 20000;
        auto missing = [&] {
            for (const std::string& key : keys)
                if (!arrived_.count(key)) return true;
            return false;
        };
        while (missing() && GetTickCount64() < deadline) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
        std::vector<std::string> shown;
        for (const std::string& key : keys) shown.push_back(arrived_.count(key) ? arrived_.at(key) : "<none>");
        return shown;
    }
    // The picture a button for the target takes, asked for as the bar
    // asks when the button comes onto it.
    static ImageChoice Ask(ButtonPictures& rule, f_Util& util, const std::string& target) {
        const ImageChoice choice = rule.ChooseButtonImage(target);
        if (choice.extracted) util.RequestPictures(target, choice.key);
        return choice;
    }
    ImageChoice Ask(const std::string& target) { return Ask(pictures_, util_, target); }
    // The key a button for the target shows once its pictures are in.
    std::string Choose(const std::string& target) {
        const std::string key = pictures_.ChooseButtonImage(target).key;
        if (key.rfind("i_", 0) != 0) return key;
        arrived_.erase(key);
        Ask(target);
        return WaitForPictures({key})[0];
    }

    FormRegistry registry_;
    f_Util util_{registry_};
    AppState state_;
    ButtonPictures pictures_{state_};
    FileSystemService files_;
    AnsiCodePageService codePage_;
    HWND parent_ = nullptr;
    NoEvents events_;
    std::unique_ptr<BarContent> content_;
    std::map<std::string, std::string> arrived_;  // picture key -> key shown
};

struct Target {
    std::string path;
    bool hasIcon;
};

// Programs with icons (the probe beside this test, the bar itself, two of
// the system's) and targets without: this test (no icon resource), a text
// file, a missing program, a dotted folder.
std::vector<Target> Targets(const TempFolder& folder) {
    const std::string here = Narrow(ModuleFolder());
    return {{here + "\\larkspan-probe.exe", true},
            {here + "\\larkspan.exe", true},
            {"C:\\windows\\notepad.exe", true},
            {"C:\\windows\\regedit.exe", true},
            {ModulePath(), false},
            {folder.Write("readme.txt", "words\r\n"), false},
            {folder.Path() + "\\missing.exe", false},
            {folder.Path() + "\\v1.2", false}};
}

TEST_F(PictureListsTest, RepeatedLoadsKeepHandleCountsFlat) {
    TempFolder folder;
    CreateDirectoryW(Widen(folder.Path() + "\\v1.2").c_str(), nullptr);
    InitLists(folder.Path());
    const std::vector<Target> targets = Targets(folder);
    content_ = std::make_unique<BarContent>(parent_, util_.imgSmall, util_.imlToolbarIcons, TwipScale{TwipsPerPixel(96), TwipsPerPixel(96)},
                                            events_);

    // A load as the loader makes it: every button's picture chosen and put
    // on a toolbar bound to the list of the bar's size.
    auto load = [&](int round) {
        state_.IconSize = round % 2;
        content_->ClearButtons(0);
        content_->BindImageList(0, state_.IconSize == 0 ? ImageListSize::Large : ImageListSize::Small);
        util_.RestartPictures();
        arrived_.clear();
        std::vector<std::string> asked;
        for (size_t i = 0; i < targets.size(); ++i) {
            const auto button = static_cast<int16_t>(i + 1);
            const ImageChoice choice = Ask(targets[i].path);
            if (choice.key.rfind("i_", 0) == 0) asked.push_back(choice.key);
            content_->AddButton(0, "b" + std::to_string(button), choice.key);
        }
        util_.LoadEnded();
        const std::vector<std::string> shown = WaitForPictures(asked);
        std::map<std::string, std::string> resolved;
        for (size_t i = 0; i < asked.size(); ++i) resolved[asked[i]] = shown[i];
        content_->ResolvePictures(resolved);
        for (size_t i = 0; i < targets.size(); ++i) {
            const std::string button = "b" + std::to_string(i + 1);
            const std::string key = "i_" + targets[i].path;
            EXPECT_EQ(content_->GetButtonImage(0, button), targets[i].hasIcon ? key : "no") << targets[i].path;
        }
        ASSERT_NE(content_->ToolbarHandle(0), nullptr);
    };

    load(1);
    load(0);
    const GuiObjects first = CountGuiObjects();
    for (int round = 1; round <= 10; ++round) load(round);
    const GuiObjects last = CountGuiObjects();
    EXPECT_LE(last.gdi - first.gdi, 8) << "GDI objects " << first.gdi << " -> " << last.gdi;
    EXPECT_LE(last.user - first.user, 8) << "USER objects " << first.user << " -> " << last.user;
    // Only one picture per button key, however often it was stored.
    EXPECT_EQ(ImageList_GetImageCount(util_.imgSmall.Handle()), util_.imgSmall.Count());
    EXPECT_EQ(ImageList_GetImageCount(util_.imlToolbarIcons.Handle()), util_.imlToolbarIcons.Count());
}

TEST_F(PictureListsTest, ATargetThatChangedReplacesItsPictureInItsPlace) {
    TempFolder folder;
    InitLists(folder.Path());
    const std::string probe = Narrow(ModuleFolder()) + "\\larkspan-probe.exe";
    const std::string notepad = "C:\\windows\\notepad.exe";
    // One path whose file is replaced, as an update does.
    const std::string target = folder.Path() + "\\tool.exe";
    const std::string key = "i_" + target;
    ASSERT_TRUE(CopyFileW(Widen(notepad).c_str(), Widen(target).c_str(), FALSE));

    ASSERT_EQ(Choose(target), key);
    const int small = util_.imgSmall.IndexOf(key);
    const int large = util_.imlToolbarIcons.IndexOf(key);
    const std::vector<uint32_t> notepadSmall = Pixels(util_.imgSmall, key);
    const std::vector<uint32_t> notepadLarge = Pixels(util_.imlToolbarIcons, key);
    EXPECT_EQ(notepadSmall, ReferencePixels(notepad, 16));
    EXPECT_EQ(notepadLarge, ReferencePixels(notepad, 32));

    // The same path now holds another program.
    ASSERT_TRUE(CopyFileW(Widen(probe).c_str(), Widen(target).c_str(), FALSE));
    ASSERT_EQ(Choose(target), key);
    // The place in the list is taken again, so the list does not grow.
    EXPECT_EQ(util_.imgSmall.IndexOf(key), small);
    EXPECT_EQ(util_.imlToolbarIcons.IndexOf(key), large);
    const std::vector<uint32_t> probeSmall = Pixels(util_.imgSmall, key);
    const std::vector<uint32_t> probeLarge = Pixels(util_.imlToolbarIcons, key);
    EXPECT_NE(probeSmall, notepadSmall);
    EXPECT_NE(probeLarge, notepadLarge);
    EXPECT_EQ(probeSmall, ReferencePixels(probe, 16));
    EXPECT_EQ(probeLarge, ReferencePixels(probe, 32));

    // A target without an icon any more leaves the key blank, not the old picture.
    folder.Write("tool.exe", "no program\r\n");
    EXPECT_EQ(Choose(target), "no");
    EXPECT_TRUE(Blank(Pixels(util_.imgSmall, key)));
    EXPECT_TRUE(Blank(Pixels(util_.imlToolbarIcons, key)));
}

// The next start takes unchanged targets' pictures from the cache, pixel
// for pixel, and extracts only a target that changed.
TEST_F(PictureListsTest, UnchangedTargetsComeFromTheCacheExactly) {
    TempFolder folder;
    InitLists(folder.Path());
    const std::wstring cache = Widen(folder.Path() + "\\cache\\pictures.cache");
    util_.SetPictureCacheFile(cache);
    const std::string icons = folder.Write("two.ico", IconFile({{16, kRed}, {32, kBlue}}));
    const std::vector<std::string> targets = {Narrow(ModuleFolder()) + "\\larkspan-probe.exe",
                                              "C:\\windows\\notepad.exe", icons, ModulePath()};
    auto load = [&](f_Util& util, ButtonPictures& rule) {
        std::vector<std::string> keys;
        for (size_t i = 0; i < targets.size(); ++i)
            keys.push_back(Ask(rule, util, targets[i]).key);
        EXPECT_THAT(WaitForPictures(keys), ::testing::ElementsAre("i_" + targets[0], "i_" + targets[1],
                                                                  "i_" + targets[2], "no"));
        std::vector<std::vector<uint32_t>> pixels;
        for (const std::string& key : keys) {
            pixels.push_back(Pixels(util.imgSmall, key));
            pixels.push_back(Pixels(util.imlToolbarIcons, key));
        }
        return pixels;
    };
    const auto extracted = load(util_, pictures_);
    EXPECT_EQ(util_.PicturesExtracted(), targets.size());
    WaitForPictures({});
    const ULONGLONG deadline = GetTickCount64() + 10000;
    while (GetFileAttributesW(cache.c_str()) == INVALID_FILE_ATTRIBUTES && GetTickCount64() < deadline) Sleep(20);
    ASSERT_NE(GetFileAttributesW(cache.c_str()), INVALID_FILE_ATTRIBUTES) << "the cache was not written";

    // A second start: another utility window, the same cache file.
    FormRegistry registry;
    f_Util next{registry};
    next.Load();
    next.InitImageLists(state_.IconKeys, folder.Path(), files_, codePage_);
    next.SetPictureCacheFile(cache);
    ButtonPictures rule{state_};
    arrived_.clear();
    next.OnPicturesArrived([&](const std::vector<f_Util::Arrival>& arrivals) {
        for (const f_Util::Arrival& a : arrivals) arrived_[a.key] = rule.ShownKey(a.key, a.large, a.small);
    });
    EXPECT_EQ(load(next, rule), extracted);
    EXPECT_EQ(next.PicturesExtracted(), 0u) << "a target known to hold no icon is not extracted again either";

    // A changed target is extracted again.
    folder.Write("two.ico", IconFile({{16, kGreen}, {32, kGreen}}));
    arrived_.clear();
    Ask(rule, next, icons);
    WaitForPictures({"i_" + icons});
    EXPECT_EQ(next.PicturesExtracted(), 1u);
    EXPECT_EQ(Hex(Pixels(next.imgSmall, "i_" + icons)[8 * 16 + 8]), Hex(kGreen));
}

// The cache lives in the local application data the environment names, or
// the shell's when the environment names none or a relative folder.
TEST(PictureCacheFileTest, LivesInTheLocalApplicationData) {
    wchar_t saved[MAX_PATH] = {};
    const DWORD had = GetEnvironmentVariableW(L"LOCALAPPDATA", saved, MAX_PATH);
    SetEnvironmentVariableW(L"LOCALAPPDATA", L"D:\\Profiles\\Ann\\Local");
    EXPECT_EQ(DefaultPictureCacheFile(), L"D:\\Profiles\\Ann\\Local\\Larkspan\\pictures.cache");
    SetEnvironmentVariableW(L"LOCALAPPDATA", L"Local");
    const std::wstring relative = DefaultPictureCacheFile();
    SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
    const std::wstring unset = DefaultPictureCacheFile();
    SetEnvironmentVariableW(L"LOCALAPPDATA", had ? saved : nullptr);
    EXPECT_EQ(relative, unset);
    EXPECT_EQ(unset.substr(1, 2), L":\\") << Narrow(unset);
    EXPECT_NE(unset.find(L"\\Larkspan\\pictures.cache"), std::wstring::npos) << Narrow(unset);

    // The catalogue's roaming folder is found the same way.
    const DWORD hadRoaming = GetEnvironmentVariableW(L"APPDATA", saved, MAX_PATH);
    SetEnvironmentVariableW(L"APPDATA", L"\\\\server\\Ann\\Roaming");
    EXPECT_EQ(RoamingAppDataFolder(), L"\\\\server\\Ann\\Roaming");
    SetEnvironmentVariableW(L"APPDATA", L"Roaming");
    const std::wstring roaming = RoamingAppDataFolder();
    SetEnvironmentVariableW(L"APPDATA", hadRoaming ? saved : nullptr);
    EXPECT_EQ(roaming.substr(1, 2), L":\\") << Narrow(roaming);
}

// One colour at every size: what a stand-in extractor hands out.
UniqueIcon SolidIcon(int sizePx, uint32_t argb = 0xFF102030) {
    IconPixels pixels;
    pixels.sizePx = sizePx;
    pixels.colour.assign(static_cast<size_t>(sizePx * sizePx), argb);
    pixels.mask.assign(IconPixels::MaskRowBytes(sizePx) * static_cast<size_t>(sizePx), 0);
    return IconFromPixels(pixels);
}

// Two events a stand-in extractor meets: entered, and let go.
struct Gate {
    UniqueHandle first{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UniqueHandle second{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// Takes what the worker has ready until `count` keys have arrived.
std::map<std::string, bool> TakeArrivals(PictureWorker& worker, std::map<std::string, bool>& arrived, size_t count) {
    const ULONGLONG deadline = GetTickCount64() + 20000;
    while (arrived.size() < count && GetTickCount64() < deadline) {
        for (ArrivedPictures& p : worker.Take()) arrived[p.key] = p.HasSmall() && p.HasLarge();
        Sleep(10);
    }
    return arrived;
}

// A target that does not answer (a network share that is gone, a mapped
// drive whose server sleeps) holds up neither the bar nor the pictures of
// local programs. Wine answers at once for any share, so the unanswering
// share is a stand-in extractor.
TEST(PictureWorkerTest, ATargetThatDoesNotAnswerHoldsUpNoOtherPicture) {
    auto release = std::make_shared<UniqueHandle>(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    PictureSources sources;
    sources.extract = [release](const std::wstring& file, int sizePx) {
        if (file.rfind(L"\\\\", 0) == 0 || file.rfind(L"Z:", 0) == 0) WaitForSingleObject(release->get(), INFINITE);
        return SolidIcon(sizePx);
    };
    sources.mayOpen = [](const std::string&) { return true; };  // launched before
    sources.remoteDrive = [](char drive) { return drive == 'Z'; };
    PictureWorker worker(nullptr, WM_NULL, 16, 32, nullptr, sources);
    worker.Request("\\\\gone\\share\\app.exe", "i_1_1");
    worker.Request("Z:\\tools\\other.exe", "i_1_2");
    for (int i = 3; i <= 6; ++i) worker.Request("C:\\local" + std::to_string(i) + ".exe", "i_1_" + std::to_string(i));
    std::map<std::string, bool> arrived;
    TakeArrivals(worker, arrived, 4);
    EXPECT_EQ(arrived.size(), 4u);
    for (int i = 3; i <= 6; ++i) EXPECT_TRUE(arrived["i_1_" + std::to_string(i)]) << i;
    EXPECT_FALSE(arrived.count("i_1_1"));
    EXPECT_FALSE(arrived.count("i_1_2"));
    SetEvent(release->get());
    TakeArrivals(worker, arrived, 6);
    EXPECT_TRUE(arrived["i_1_1"]);
    EXPECT_TRUE(arrived["i_1_2"]);
}

std::set<DWORD> ThreadsOfThisProcess() {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    std::set<DWORD> threads;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) threads.insert(entry.th32ThreadID);
    return threads;
}

// Threads made since `before` (threads of earlier tests may end meanwhile).
std::set<DWORD> NewThreads(const std::set<DWORD>& before) {
    std::set<DWORD> made;
    for (DWORD thread : ThreadsOfThisProcess())
        if (!before.count(thread)) made.insert(thread);
    return made;
}

// The pictures and the folder checks share one thread (under Wine each
// thread weighs a megabyte) and take turns on it: a folder found while
// many pictures are still to come is told before they all are.
TEST(PictureWorkerTest, PicturesAndFolderChecksTakeTurnsOnOneThread) {
    auto gate = std::make_shared<Gate>();
    auto made = std::make_shared<std::atomic<int>>(0);
    auto on = std::make_shared<std::atomic<DWORD>>(0);
    PictureSources sources;
    sources.extract = [gate, made, on](const std::wstring&, int sizePx) {
        *on = GetCurrentThreadId();
        SetEvent(gate->first.get());
        WaitForSingleObject(gate->second.get(), INFINITE);
        ++*made;
        return SolidIcon(sizePx);
    };
    sources.stamp = [](const std::wstring&) { return std::optional<std::pair<uint64_t, uint64_t>>(); };
    const std::set<DWORD> before = ThreadsOfThisProcess();
    auto background = std::make_shared<BackgroundThread>();
    PictureWorker pictures(nullptr, WM_NULL, 16, 32, nullptr, sources, false, PictureWorker::kExitWaitMs, background);
    FolderWorker folders(nullptr, WM_NULL, background);
    constexpr int kPrograms = 40;
    for (int i = 0; i < kPrograms; ++i) pictures.Request("C:\\p" + std::to_string(i) + ".exe", std::to_string(i));
    ASSERT_EQ(WaitForSingleObject(gate->first.get(), 20000), WAIT_OBJECT_0);
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    folders.Probe(Narrow(windows));
    EXPECT_EQ(NewThreads(before), std::set<DWORD>{on->load()});
    SetEvent(gate->second.get());
    std::vector<FolderWorker::Probed> probed;
    const ULONGLONG deadline = GetTickCount64() + 20000;
    while (probed.empty() && GetTickCount64() < deadline) {
        probed = folders.TakeProbed();
        if (probed.empty()) Sleep(1);
    }
    const int madeWhenFound = *made;
    ASSERT_EQ(probed.size(), 1u);
    EXPECT_TRUE(probed[0].folder);
    EXPECT_LT(madeWhenFound, kPrograms);
    std::map<std::string, bool> arrived;
    TakeArrivals(pictures, arrived, kPrograms);
    EXPECT_EQ(arrived.size(), static_cast<size_t>(kPrograms));
    EXPECT_EQ(NewThreads(before), std::set<DWORD>{on->load()});
}

// A catalogue someone else wrote cannot make the bar reach a server: a
// network target is neither read nor extracted (nor its size and time
// asked for) until the user has launched it; its type's picture stands in.
TEST(PictureWorkerTest, NetworkTargetsAreUntouchedUntilLaunched) {
    struct Touches {
        std::mutex lock;
        std::map<std::wstring, int> opened;  // stamp or extraction
        std::map<std::wstring, int> byName;  // the type's picture
        std::set<std::string> launched;
    };
    auto touches = std::make_shared<Touches>();
    PictureSources sources;
    sources.stamp = [touches](const std::wstring& file) -> std::optional<std::pair<uint64_t, uint64_t>> {
        std::lock_guard<std::mutex> held(touches->lock);
        ++touches->opened[file];
        return std::make_pair(uint64_t{1}, uint64_t{2});
    };
    sources.extract = [touches](const std::wstring& file, int sizePx) {
        std::lock_guard<std::mutex> held(touches->lock);
        ++touches->opened[file];
        return SolidIcon(sizePx);
    };
    sources.typeIcon = [touches](const std::wstring& file, int sizePx) {
        std::lock_guard<std::mutex> held(touches->lock);
        ++touches->byName[file];
        return SolidIcon(sizePx, 0xFF808080);
    };
    sources.mayOpen = [touches](const std::string& target) {
        std::lock_guard<std::mutex> held(touches->lock);
        return touches->launched.count(target) != 0;
    };
    sources.remoteDrive = [](char drive) { return drive == 'N'; };
    PictureWorker worker(nullptr, WM_NULL, 16, 32, nullptr, sources);
    worker.Request("\\\\server\\share\\app.exe", "unc");
    worker.Request("N:\\tools\\ed.exe", "mapped");
    worker.Request("C:\\Tools\\local.exe", "local");
    std::map<std::string, bool> arrived;
    TakeArrivals(worker, arrived, 3);
    EXPECT_EQ(arrived, (std::map<std::string, bool>{{"local", true}, {"mapped", true}, {"unc", true}}));
    {
        std::lock_guard<std::mutex> held(touches->lock);
        EXPECT_EQ(touches->opened, (std::map<std::wstring, int>{{L"C:\\Tools\\local.exe", 3}}));
        EXPECT_EQ(touches->byName, (std::map<std::wstring, int>{{L"\\\\server\\share\\app.exe", 2},
                                                                 {L"N:\\tools\\ed.exe", 2}}));
        touches->launched.insert("\\\\server\\share\\app.exe");
    }
    // Launched once: from then on its own picture is read.
    arrived.clear();
    worker.Request("\\\\server\\share\\app.exe", "unc");
    TakeArrivals(worker, arrived, 1);
    std::lock_guard<std::mutex> held(touches->lock);
    EXPECT_EQ(touches->opened[L"\\\\server\\share\\app.exe"], 3);
    EXPECT_EQ(touches->opened.count(L"N:\\tools\\ed.exe"), 0u);
}

// The end of the program waits a moment for a busy worker, no longer: a
// local target that never answers does not keep the program from ending.
TEST(PictureWorkerTest, TheEndOfTheProgramDoesNotWaitForAStuckTarget) {
    auto gate = std::make_shared<Gate>();
    PictureSources sources;
    sources.extract = [gate](const std::wstring&, int sizePx) {
        SetEvent(gate->first.get());                           // entered
        WaitForSingleObject(gate->second.get(), INFINITE);     // until the test lets go
        return SolidIcon(sizePx);
    };
    auto worker = std::make_unique<PictureWorker>(nullptr, WM_NULL, 16, 32, nullptr, sources);
    worker->Request("C:\\Sleeping\\drive.exe", "stuck");
    ASSERT_EQ(WaitForSingleObject(gate->first.get(), 20000), WAIT_OBJECT_0);
    UniqueHandle ended(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread end([&] {
        worker.reset();
        SetEvent(ended.get());
    });
    // The worker is still stuck: an end that waited for it would never come.
    const DWORD waited = WaitForSingleObject(ended.get(), 20000);
    SetEvent(gate->second.get());
    end.join();
    EXPECT_EQ(waited, WAIT_OBJECT_0);
}

// An address's picture is made on a worker thread while the bar's thread
// opens handles of its own: it closes none but its own. (A key closed twice
// took the bar's drop-target mapping, and the bar crashed in ole32.)
TEST(PictureWorkerTest, AnAddressPictureClosesNoHandleOfAnotherThread) {
    std::atomic<bool> done{false};
    std::atomic<int> lost{0};
    std::thread other([&] {
        while (!done) {
            UniqueHandle map(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 68, nullptr));
            if (!map) continue;
            void* view = MapViewOfFile(map.get(), FILE_MAP_WRITE, 0, 0, 68);
            if (view) {
                UnmapViewOfFile(view);
            } else {
                ++lost;
                map.release();  // no longer ours to close
            }
        }
    });
    for (int i = 0; i < 50; ++i) ExtractTargetIcon(L"https://example.invalid/", 16);
    done = true;
    other.join();
    EXPECT_EQ(lost, 0);
}

// Each list gets the file's own frame of its size, not one scaled from the
// other: a 16-pixel picture drawn for 16 pixels looks sharp.
// At another DPI every picture is made again from where it came, at the new
// size: the cached file's and the resource's at once, a target's by the
// workers (never on this thread), its old picture scaled standing in until
// then; a picture asked for after the change arrives at the new size too.
TEST_F(PictureListsTest, ExtractedPicturesTakeTheFramesOfTheirSizesAtEveryDpi) {
    TempFolder folder;
    folder.Write("txt.ico", IconFile({{16, kRed}, {24, kGreen}, {32, kBlue}, {48, kMagenta}}));
    folder.Write("settings.ini", "[Files]\r\nTXT=txt.ico\r\n");
    const DWORD here = GetCurrentThreadId();
    auto onThisThread = std::make_shared<std::atomic<int>>(0);
    PictureSources sources;
    sources.extract = [onThisThread, here](const std::wstring& file, int sizePx) {
        if (GetCurrentThreadId() == here) ++*onThisThread;
        return ExtractFirstIcon(file, sizePx);
    };
    util_.SetPictureSources(sources);
    InitLists(folder.Path());
    const std::string icons = folder.Write("four.ico", IconFile({{16, kRed}, {24, kGreen}, {32, kBlue}, {48, kWhite}}));
    util_.RequestPictures(icons, "four");
    ASSERT_THAT(WaitForPictures({"four"}), ::testing::ElementsAre("four"));
    EXPECT_EQ(Hex(Pixels(util_.imgSmall, "four")[8 * 16 + 8]), Hex(kRed));
    EXPECT_EQ(Hex(Pixels(util_.imlToolbarIcons, "four")[16 * 32 + 16]), Hex(kBlue));
    EXPECT_FALSE(util_.UsePictureSizes(16, 32));

    const HIMAGELIST small = util_.imgSmall.Handle();
    const int index = util_.imgSmall.IndexOf("four");
    const int count = util_.imgSmall.Count();
    const GuiObjects before = CountGuiObjects();
    arrived_.clear();
    ASSERT_TRUE(util_.UsePictureSizes(24, 48));  // 150 %
    EXPECT_EQ(util_.imgSmall.Handle(), small);    // bound toolbars keep their list
    EXPECT_EQ(util_.imgSmall.IndexOf("four"), index);
    EXPECT_EQ(util_.imgSmall.Count(), count);
    EXPECT_EQ(ImageList_GetImageCount(small), count);
    EXPECT_EQ(Hex(Pixels(util_.imgSmall, "TXT")[12 * 24 + 12]), Hex(kGreen));
    EXPECT_EQ(Hex(Pixels(util_.imlToolbarIcons, "TXT")[24 * 48 + 24]), Hex(kMagenta));
    // Until the worker brings it, the old picture stands in, scaled.
    EXPECT_EQ(Hex(Pixels(util_.imgSmall, "four")[12 * 24 + 12]), Hex(kRed));
    EXPECT_EQ(Hex(Pixels(util_.imlToolbarIcons, "four")[24 * 48 + 24]), Hex(kBlue));
    // A program added after the change (a drop, a reload) arrives at the
    // new size, not as a blank picture of the old one.
    const std::string added =
        folder.Write("added.ico", IconFile({{16, kRed}, {24, kMagenta}, {32, kBlue}, {48, kGreen}}));
    util_.RequestPictures(added, "added");
    EXPECT_THAT(WaitForPictures({"four", "added"}), ::testing::ElementsAre("four", "added"));
    EXPECT_EQ(Hex(Pixels(util_.imgSmall, "four")[12 * 24 + 12]), Hex(kGreen));
    EXPECT_EQ(Hex(Pixels(util_.imlToolbarIcons, "four")[24 * 48 + 24]), Hex(kWhite));
    EXPECT_EQ(Hex(Pixels(util_.imgSmall, "added")[12 * 24 + 12]), Hex(kMagenta));
    EXPECT_EQ(Hex(Pixels(util_.imlToolbarIcons, "added")[24 * 48 + 24]), Hex(kGreen));
    EXPECT_EQ(onThisThread->load(), 0) << "icons extracted on the thread that paints";

    // Back at 100 %, nothing kept of the larger pictures.
    arrived_.clear();
    ASSERT_TRUE(util_.UsePictureSizes(16, 32));
    WaitForPictures({"four", "added"});
    EXPECT_EQ(Hex(Pixels(util_.imgSmall, "four")[8 * 16 + 8]), Hex(kRed));
    const GuiObjects after = CountGuiObjects();
    EXPECT_LE(after.gdi - before.gdi, 4) << "GDI objects " << before.gdi << " -> " << after.gdi;
    EXPECT_LE(after.user - before.user, 4) << "USER objects " << before.user << " -> " << after.user;
    // The menu's pictures at the size a menu asks for, under the same keys
    // (the resources themselves are the program's, drawn in its e2e tests).
    EXPECT_EQ(util_.MenuImages(24, false).Size(), 24);
    EXPECT_EQ(util_.IndexOf("exit"), 6);
    EXPECT_EQ(ImageList_GetImageCount(util_.imgMenu.Handle()), 12);
}

// A picture on its way when the DPI changes arrives at sizes the lists no
// longer have: it is asked for again, never stored as a blank one.
TEST_F(PictureListsTest, APictureUnderWayAtADpiChangeIsMadeAgainAtTheNewSize) {
    TempFolder folder;
    auto gate = std::make_shared<Gate>();
    PictureSources sources;
    sources.extract = [gate](const std::wstring& file, int sizePx) {
        SetEvent(gate->first.get());
        WaitForSingleObject(gate->second.get(), 20000);
        return ExtractFirstIcon(file, sizePx);
    };
    util_.SetPictureSources(sources);
    InitLists(folder.Path());
    const std::string icons = folder.Write("four.ico", IconFile({{16, kRed}, {24, kGreen}, {32, kBlue}, {48, kWhite}}));
    util_.RequestPictures(icons, "late");
    ASSERT_EQ(WaitForSingleObject(gate->first.get(), 20000), WAIT_OBJECT_0);  // made at 16 and 32
    ASSERT_TRUE(util_.UsePictureSizes(24, 48));
    SetEvent(gate->second.get());
    ASSERT_THAT(WaitForPictures({"late"}), ::testing::ElementsAre("late"));
    EXPECT_EQ(Hex(Pixels(util_.imgSmall, "late")[12 * 24 + 12]), Hex(kGreen));
    EXPECT_EQ(Hex(Pixels(util_.imlToolbarIcons, "late")[24 * 48 + 24]), Hex(kWhite));
}

TEST_F(PictureListsTest, SettingsBesideTheProgramFillTheCache) {
    TempFolder folder;
    folder.Write("Icons\\txt.ico", IconFile({{16, kRed}, {32, kBlue}}));
    folder.Write("htm.ico", IconFile({{16, kGreen}, {32, kGreen}}));
    folder.Write("first.ico", IconFile({{16, kRed}, {32, kRed}}));
    folder.Write("Icons\\second.ico", IconFile({{16, kBlue}, {32, kBlue}}));
    folder.Write("words.txt", "no picture here\r\n");
    folder.Write("settings.ini",
                 "[Other]\r\n"
                 "ZIP=first.ico\r\n"
                 "[Files]\r\n"
                 "txt=txt.ico\r\n"
                 "Dup=first.ico\r\n"
                 "DUP=second.ico\r\n"
                 "GONE=missing.ico\r\n"
                 "BAD=words.txt\r\n"
                 "htm=" + folder.Path() + "\\htm.ico\r\n");
    InitLists(folder.Path());

    EXPECT_EQ(state_.IconKeys, (std::vector<std::string>{"", "TXT", "DUP", "HTM"}));
    for (KeyedImageList* list : {&util_.imgSmall, &util_.imlToolbarIcons}) {
        SCOPED_TRACE(list->Size());
        EXPECT_EQ(list->IndexOf("no"), 0);
        EXPECT_EQ(list->IndexOf("folder"), 1);
        for (const char* key : {"TXT", "DUP", "HTM"}) EXPECT_TRUE(list->Contains(key)) << key;
        for (const char* key : {"ZIP", "GONE", "BAD"}) EXPECT_FALSE(list->Contains(key)) << key;
        const int middle = (list->Size() / 2) * list->Size() + list->Size() / 2;
        // Each list takes the frame of its own size; the first DUP stays.
        EXPECT_EQ(Pixels(*list, "TXT")[middle], list->Size() == 16 ? kRed : kBlue);
        EXPECT_EQ(Pixels(*list, "DUP")[middle], kRed);
        EXPECT_EQ(Pixels(*list, "HTM")[middle], kGreen);
    }

    // The picture rule sees the cache: documents of a cached type and web
    // addresses are not extracted.
    EXPECT_EQ(Ask(folder.Path() + "\\words.txt").key, "TXT");
    EXPECT_EQ(Ask("HTTP://example.invalid/").key, "HTM");
    EXPECT_FALSE(util_.imgSmall.Contains("i_" + folder.Path() + "\\words.txt"));
    EXPECT_FALSE(util_.imgSmall.Contains("i_HTTP://example.invalid/"));
}

// A blank before "=" belongs to the name, so "HTM " never serves a web
// address, which then falls back to extraction and "no".
TEST_F(PictureListsTest, TheKeyIsTheNameAsTheSectionReadGivesIt) {
    TempFolder folder;
    folder.Write("htm.ico", IconFile({{16, kGreen}, {32, kGreen}}));
    folder.Write("settings.ini", "[Files]\r\nHTM =htm.ico\r\n");
    InitLists(folder.Path());

    EXPECT_EQ(state_.IconKeys, (std::vector<std::string>{"", "HTM "}));
    EXPECT_TRUE(util_.imgSmall.Contains("HTM "));
    EXPECT_FALSE(util_.imgSmall.Contains("HTM"));
    EXPECT_EQ(Choose("http://example.invalid/"), "no");
}

TEST_F(PictureListsTest, WithoutSettingsOnlyTheFallbacksAreThere) {
    TempFolder folder;
    InitLists(folder.Path());
    EXPECT_EQ(state_.IconKeys, std::vector<std::string>{""});
    for (KeyedImageList* list : {&util_.imgSmall, &util_.imlToolbarIcons}) {
        EXPECT_EQ(list->IndexOf("no"), 0);
        EXPECT_EQ(list->IndexOf("folder"), 1);
    }
    // Set up again (a second start in the same process): the lists start over.
    ASSERT_EQ(Choose("C:\\windows\\notepad.exe"), "i_C:\\windows\\notepad.exe");
    ASSERT_TRUE(util_.imgSmall.Contains("i_C:\\windows\\notepad.exe"));
    InitLists(folder.Path());
    EXPECT_FALSE(util_.imgSmall.Contains("i_C:\\windows\\notepad.exe"));
    EXPECT_FALSE(util_.imlToolbarIcons.Contains("i_C:\\windows\\notepad.exe"));
    EXPECT_EQ(util_.imgSmall.Count(), ImageList_GetImageCount(util_.imgSmall.Handle()));
}

}  // namespace
}  // namespace lark::win
