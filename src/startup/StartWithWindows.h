#pragma once
// "Start with Windows": the value "Larkspan" in the logon Run list holding
// the quoted path of this program.
#include <string>

#include "base/RunKey.h"

namespace lark {

// The command line the value holds for a program: its path in quotes.
std::string RunCommandFor(const std::string& exePath);

// True when the value is there and starts this very program (an older copy
// elsewhere, or another program under our name, does not count).
bool StartsWithWindows(IRunKey& run, const std::string& exePath);

// Adds the value for this program, or removes it when it starts this
// program; a value that starts another copy is left to that copy.
void SetStartWithWindows(IRunKey& run, const std::string& exePath, bool on);

}  // namespace lark
