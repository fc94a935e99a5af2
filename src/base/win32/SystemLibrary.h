#pragma once
// Functions of system DLLs that only a later action needs (the file
// dialog, the version reader): the DLL is loaded from the system folder on
// first use, so a start pays nothing for it and a DLL planted beside the
// program is never taken.
#include <windows.h>

#include "base/RuntimeError.h"

namespace lark::win {

// The loaded DLL, kept for the rest of the run; raises 53 when missing.
HMODULE SystemLibrary(const wchar_t* name);

// The named export of a system DLL as a function pointer of type F;
// raises 5 when the DLL lacks it.
template <class F>
F SystemFunction(const wchar_t* dll, const char* name) {
    const FARPROC proc = GetProcAddress(SystemLibrary(dll), name);
    if (!proc) Raise(kErrInvalidCall);
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(proc));
}

// Limits every later DLL search of the process to the system folder, where
// the system supports it (Windows 8, or 7 with its update).
void SearchSystemFolderOnly();

}  // namespace lark::win
