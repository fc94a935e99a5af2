#pragma once
// GDI and USER objects the process holds, for the leak checks of tests and
// long runs. GetGuiResources counts them on Windows. Wine answers 0 there,
// so under Wine the GDI objects are read from the process's GDI handle
// table (the PEB's GdiSharedHandleTable) and the USER objects counted are
// the live icons, cursors and menus (probed by 16-bit handle) and the
// process's windows; other USER objects (hooks, accelerator tables) are
// not seen there.
namespace lark::win {

struct GuiObjects {
    long gdi = 0;
    long user = 0;
};

GuiObjects CountGuiObjects();
// Each alone: the USER probe under Wine asks tens of thousands of handles,
// which a running bar should not do when only the GDI figure is wanted.
long CountGdiObjects();
long CountUserObjects();

// The bytes in use in the process's heaps (the C++ heap among them): a leak
// of the program's own shows here, one of the system's outside them.
unsigned long long HeapBytesInUse();

}  // namespace lark::win
