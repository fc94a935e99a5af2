// The crash handler in a process of its own: a copy of this test program
// started with LARKSPAN_CRASH_FOLDER set installs the handler before the
// tests run and lets an exception escape a thread. (The real program is
// crashed from outside by the end-to-end tests.)
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "base/win32/Handles.h"
#include "base/win32/Text.h"
#include "crash/win32/CrashHandler.h"

namespace lark::win {
namespace {

constexpr DWORD kEscapedException = 0xE04C4B01;

[[maybe_unused]] const bool kCrashChild = [] {
    const char* folder = std::getenv("LARKSPAN_CRASH_FOLDER");
    if (!folder) return false;
    InstallCrashHandler(Widen(folder), false);
    std::thread([] { throw std::runtime_error("escaped"); }).join();
    return true;
}();

std::vector<std::string> FilesIn(const std::wstring& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(Narrow(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(CrashHandlerTest, AnEscapedExceptionLeavesTheNewestFiveDumpsAndEndsTheProcess) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"larkspan-crash-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    std::vector<std::string> expected;
    for (int n = 1; n <= 6; ++n) {
        const std::string name = "larkspan-2020010" + std::to_string(n) + "-120000-000-7.dmp";
        std::ofstream(Narrow(folder) + "\\" + name) << "older";
        if (n > 2) expected.push_back(name);
    }
    std::ofstream(Narrow(folder) + "\\notes.txt") << "not a dump";
    expected.push_back("notes.txt");

    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_list_tests";
    SetEnvironmentVariableW(L"LARKSPAN_CRASH_FOLDER", folder.c_str());
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION child{};
    const BOOL started =
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child);
    SetEnvironmentVariableW(L"LARKSPAN_CRASH_FOLDER", nullptr);
    ASSERT_TRUE(started);
    UniqueHandle process(child.hProcess), thread(child.hThread);
    ASSERT_EQ(WaitForSingleObject(process.get(), 300000), WAIT_OBJECT_0) << "the crashed copy did not end";
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    EXPECT_EQ(code, kEscapedException);

    std::vector<std::string> names = FilesIn(folder);
    std::vector<std::string> dumps;
    std::copy_if(names.begin(), names.end(), std::back_inserter(dumps),
                 [&](const std::string& n) { return std::find(expected.begin(), expected.end(), n) == expected.end(); });
    ASSERT_EQ(dumps.size(), 1u) << "new files: " << ::testing::PrintToString(dumps);
    std::ifstream dump(Narrow(folder) + "\\" + dumps[0], std::ios::binary);
    std::string signature(4, '\0');
    dump.read(signature.data(), 4);
    EXPECT_EQ(signature, "MDMP");
    dump.close();
    names.erase(std::find(names.begin(), names.end(), dumps[0]));
    EXPECT_EQ(names, expected);
    for (const std::string& name : FilesIn(folder)) DeleteFileW((folder + L"\\" + Widen(name)).c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace lark::win
