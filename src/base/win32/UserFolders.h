#pragma once

#include <string>

namespace lark::win {

// The user's local application data folder, or empty when unknown. The
// environment names it in every session; asking the shell (which then loads)
// is the fallback, so a start that only needs a file name costs nothing.
std::wstring LocalAppDataFolder();
// The user's roaming application data folder, or empty when unknown.
std::wstring RoamingAppDataFolder();

// A file of the bar's own in that folder ("Larkspan\<name>"); empty when
// the folder is unknown.
std::wstring LocalDataFile(const wchar_t* name);

}  // namespace lark::win
