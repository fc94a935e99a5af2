#pragma once
// "Start with Windows": the value "Larkspan" in the logon Run list holding
// the quoted path of this program; and the program in Explorer's "Send to".
#include <string>

#include "base/RunKey.h"
#include "base/SendToFolder.h"

namespace lark {

// The command line the value holds for a program: its path in quotes.
std::string RunCommandFor(const std::string& exePath);

// True when the value is there and starts this very program (an older copy
// elsewhere, or another program under our name, does not count).
bool StartsWithWindows(IRunKey& run, const std::string& exePath);

// Adds the value for this program, or removes it when it starts this
// program; a value that starts another copy is left to that copy.
void SetStartWithWindows(IRunKey& run, const std::string& exePath, bool on);

// "Show in the Send To menu": the shortcut "Larkspan" there runs this very
// program with /add (the installer puts it there too).
bool ShowsInSendTo(ISendToFolder& sendTo, const std::string& exePath);
// Writes the shortcut for this program, or removes it when it runs this
// program; one that runs another copy is left to that copy.
void SetShowInSendTo(ISendToFolder& sendTo, const std::string& exePath, bool on);

}  // namespace lark
