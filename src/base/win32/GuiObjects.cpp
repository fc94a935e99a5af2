#include "base/win32/GuiObjects.h"

#include <windows.h>
#include <intrin.h>

#include <algorithm>

namespace lark::win {
namespace {

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// 24-byte entries, the object type in byte 14; the table is the process's
// own under Wine.
long WineGdiObjects() {
    const auto* peb = reinterpret_cast<const BYTE*>(__readgsqword(0x60));
    const auto* table = *reinterpret_cast<const BYTE* const*>(peb + 0xF8);
    if (!table) return -1;
    long count = 0;
    for (size_t i = 0; i < 0x10000; ++i) count += table[i * 24 + 14] != 0;
    return count;
}

BOOL CALLBACK CountOwnWindow(HWND hwnd, LPARAM param) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == GetCurrentProcessId()) {
        ++*reinterpret_cast<long*>(param);
        EnumChildWindows(hwnd, CountOwnWindow, param);
    }
    return TRUE;
}

// A 16-bit handle names a live object whatever its generation; another
// process's icons do not answer.
long WineUserObjects() {
    long count = 0;
    for (UINT_PTR handle = 0x20; handle < 0xFFF0; handle += 2) {
        ICONINFO info{};
        if (GetIconInfo(reinterpret_cast<HICON>(handle), &info)) {
            ++count;
            if (info.hbmColor) DeleteObject(info.hbmColor);
            if (info.hbmMask) DeleteObject(info.hbmMask);
        } else if (IsMenu(reinterpret_cast<HMENU>(handle))) {
            ++count;
        }
    }
    EnumWindows(CountOwnWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

}  // namespace

long CountGdiObjects() {
    if (!UnderWine()) return static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    return WineGdiObjects();
}

long CountUserObjects() {
    if (!UnderWine()) return static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    return WineUserObjects();
}

GuiObjects CountGuiObjects() {
    // USER first: probing an icon makes bitmaps for a moment.
    const long user = CountUserObjects();
    return {CountGdiObjects(), user};
}

unsigned long long HeapBytesInUse() {
    HANDLE heaps[64];
    const DWORD count = std::min<DWORD>(GetProcessHeaps(64, heaps), 64);
    unsigned long long total = 0;
    for (DWORD i = 0; i < count; ++i) {
        if (!HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return total;
}

}  // namespace lark::win
