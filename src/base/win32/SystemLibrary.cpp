#include "base/win32/SystemLibrary.h"

namespace lark::win {

HMODULE SystemLibrary(const wchar_t* name) {
    HMODULE module = GetModuleHandleW(name);
    if (!module) module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) Raise(kErrFileNotFound);
    return module;
}

void SearchSystemFolderOnly() {
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    const FARPROC proc = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (proc) reinterpret_cast<SetDirectories>(reinterpret_cast<void (*)()>(proc))(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace lark::win
