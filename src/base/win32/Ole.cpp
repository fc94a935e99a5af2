#include "base/win32/Ole.h"

#include <ole2.h>

namespace lark::win {
namespace {

// Ends OLE on the thread that started it, when that thread's statics go
// (the user-interface thread is the program's main thread).
struct OleThread {
    bool com = false;
    bool started = false;
    ~OleThread() {
        if (started) OleUninitialize();
        if (com) CoUninitialize();
    }
};

}  // namespace

bool EnsureOleInitialized() {
    thread_local OleThread ole;
    if (ole.started) return true;
    // COM first with the flags the shell wants (no OLE 1 DDE); OLE then
    // joins the apartment.
    if (!ole.com) ole.com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    ole.started = SUCCEEDED(OleInitialize(nullptr));
    return ole.started;
}

}  // namespace lark::win
