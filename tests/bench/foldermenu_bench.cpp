// Times a folder button's menu: from the click to the menu on screen with
// nothing left to do (its owner's first WM_ENTERIDLE), for a folder of N
// files. Not a test: run it under Wine and read the figures.
//   foldermenu_bench [N] [runs]
// Prints "items N", "first_ms T" (the first open, the shell not yet warm)
// and "open_ms T..." (the opens after it).
#include <windows.h>
#include <objbase.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/win32/Ole.h"
#include "base/win32/Text.h"
#include "foldermenu/win32/FolderMenus.h"

namespace {

using Clock = std::chrono::steady_clock;

class NoShell : public lark::IShellLauncher {
public:
    lark::LaunchResult Execute(uintptr_t, const std::optional<std::string>&, const std::string&,
                               const std::optional<std::string>&, const std::optional<std::string>&, int) override {
        return {};
    }
};

lark::win::FolderMenus* menus = nullptr;
Clock::time_point opened;
bool idle = false;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (menus && menus->HandleMenuMessage(message, wParam, lParam, result)) return result;
    if (message == WM_ENTERIDLE && wParam == MSGF_MENU && !idle) {
        idle = true;
        opened = Clock::now();
        EndMenu();
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

std::wstring MakeFolder(int files) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"larkspan-foldermenu-bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    const wchar_t* types[] = {L".txt", L".log", L".dat", L".ini", L".xml", L".csv"};
    for (int i = 0; i < 20; ++i) CreateDirectoryW((folder + L"\\Folder " + std::to_wstring(i)).c_str(), nullptr);
    for (int i = 0; i < files; ++i) {
        const std::wstring file = folder + L"\\File " + std::to_wstring(i) + types[i % 6];
        CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    return folder;
}

void RemoveFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW data{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveDirectoryW(path.c_str());
        } else {
            DeleteFileW(path.c_str());
        }
    } while (FindNextFileW(search, &data));
    FindClose(search);
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    lark::win::EnsureOleInitialized();
    const std::wstring folder = MakeFolder(files);

    WNDCLASSW cls{};
    cls.lpfnWndProc = OwnerProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"LarkspanFolderMenuBench";
    RegisterClassW(&cls);
    HWND owner = CreateWindowExW(WS_EX_TOOLWINDOW, cls.lpszClassName, L"bench", WS_POPUP | WS_VISIBLE, 100, 100, 200,
                                 40, nullptr, nullptr, cls.hInstance, nullptr);
    NoShell shell;
    lark::win::FolderMenus folderMenus(shell, [] {});
    menus = &folderMenus;

    std::vector<double> times;
    for (int run = 0; run <= runs; ++run) {
        idle = false;
        const Clock::time_point start = Clock::now();
        folderMenus.Open(lark::win::Narrow(folder), lark::RectPx{100, 100, 140, 130}, reinterpret_cast<uintptr_t>(owner),
                         false);
        times.push_back(idle ? std::chrono::duration<double, std::milli>(opened - start).count() : -1.0);
    }
    std::printf("items %d\nfirst_ms %.0f\nopen_ms", files + 20, times[0]);
    for (size_t i = 1; i < times.size(); ++i) std::printf(" %.0f", times[i]);
    std::printf("\n");
    menus = nullptr;
    DestroyWindow(owner);
    RemoveFolder(folder);
    return 0;
}
