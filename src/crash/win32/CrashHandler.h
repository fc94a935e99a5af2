#pragma once
// The last thing a crash does: an exception that escapes, a fault on any
// thread of the process or an abort writes a minidump to the crashes
// folder (the newest five kept), says so in one message and ends the
// process at once. Nothing else runs on that path: no window is unloaded
// and neither the catalogue nor the settings are written.
#include <string>

namespace lark::win {

// %LOCALAPPDATA%\Larkspan\crashes.
std::wstring DefaultCrashFolder();

// Installs the handlers for the rest of the process and keeps the calling
// thread's stack for a crash (KeepStackForCrash). tellUser false skips
// the message (a test's child process has no one to answer it).
void InstallCrashHandler(const std::wstring& folder, bool tellUser = true);
// The crash messages in the bar's language, taken now: a crash is no time
// to read resources.
void TellCrashesInLanguage();

}  // namespace lark::win
