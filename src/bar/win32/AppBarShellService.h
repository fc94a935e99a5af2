#pragma once
// The appbar protocol over SHAppBarMessage.
#include "base/AppBarShell.h"

namespace lark::win {

class AppBarShellService : public IAppBarShell {
public:
    uintptr_t Send(AppBarMessage message, AppBarData& data) override;
};

}  // namespace lark::win
