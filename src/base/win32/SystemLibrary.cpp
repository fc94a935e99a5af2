#include "base/win32/SystemLibrary.h"

#include <delayimp.h>

#include <string>

namespace lark::win {
namespace {

// Always a reference of its own, even for a DLL already loaded: the
// delay-load helper frees the one it got when another thread was first.
HMODULE LoadFromSystemFolder(const wchar_t* name) {
    if (HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
    // A system without the search flags (Windows 7 before its update): the
    // folder named in full.
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// The DLLs the program imports late (see cmake/DelayImports.cmake) come
// from the system folder too: the delay-load helper would search the
// program's own folder first.
FARPROC WINAPI LoadDelayedImport(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary || !info || !info->szDll) return nullptr;
    std::wstring name;
    for (const char* c = info->szDll; *c; ++c) name.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*c)));
    return reinterpret_cast<FARPROC>(LoadFromSystemFolder(name.c_str()));
}

}  // namespace

HMODULE SystemLibrary(const wchar_t* name) {
    HMODULE module = LoadFromSystemFolder(name);
    if (!module) Raise(kErrFileNotFound);
    return module;
}

void SearchSystemFolderOnly() {
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    const FARPROC proc = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (proc) reinterpret_cast<SetDirectories>(reinterpret_cast<void (*)()>(proc))(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace lark::win

// Read by the delay-load helper of the C run-time library before each DLL
// it loads.
extern "C" {
PfnDliHook __pfnDliNotifyHook2 = lark::win::LoadDelayedImport;
}
