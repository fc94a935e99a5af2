#include "base/win32/Ole.h"

#include <ole2.h>

namespace lark::win {
namespace {

// Ends OLE on the thread that started it, when that thread's statics go
// (the user-interface thread is the program's main thread).
struct OleThread {
    bool started = false;
    ~OleThread() {
        if (started) OleUninitialize();
    }
};

}  // namespace

bool EnsureOleInitialized() {
    thread_local OleThread ole;
    if (!ole.started) ole.started = SUCCEEDED(OleInitialize(nullptr));
    return ole.started;
}

}  // namespace lark::win
