#include "base/win32/CrashStack.h"

#include <windows.h>

namespace lark::win {

void KeepStackForCrash() noexcept {
    // The exception's dispatch, the filter and CreateThread, with room to spare.
    ULONG bytes = 64 * 1024;
    SetThreadStackGuarantee(&bytes);
}

}  // namespace lark::win
