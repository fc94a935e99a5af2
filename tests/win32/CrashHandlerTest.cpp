// The crash handler in a process of its own: a copy of this test program
// started with LARKSPAN_CRASH_FOLDER set installs the handler before the
// tests run and lets an exception escape a thread (with the loader's lock
// held, as a crash inside a DLL's start-up does, when
// LARKSPAN_CRASH_IN_LOADER is set too). (The real program is crashed from
// outside, and its dumps' rotation seen, by the end-to-end tests.)
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
    const bool inLoader = std::getenv("LARKSPAN_CRASH_IN_LOADER") != nullptr;
    std::thread([inLoader] {
        if (inLoader) {
            using LockFn = LONG(WINAPI*)(ULONG, ULONG*, ULONG_PTR*);
            const auto lock = reinterpret_cast<LockFn>(
                reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "LdrLockLoaderLock")));
            ULONG_PTR cookie = 0;
            if (!lock || lock(0, nullptr, &cookie) != 0) std::abort();  // the test would prove nothing
        }
        throw std::runtime_error("escaped");
    }).join();
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

// Crashes a copy of this program, which must end with the crash's code
// and leave one dump.
void CrashACopyAndFindItsDump(bool inLoader) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"larkspan-crash-" + std::to_wstring(GetCurrentProcessId());

    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_list_tests";
    SetEnvironmentVariableW(L"LARKSPAN_CRASH_FOLDER", folder.c_str());
    SetEnvironmentVariableW(L"LARKSPAN_CRASH_IN_LOADER", inLoader ? L"1" : nullptr);
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION child{};
    const BOOL started =
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child);
    SetEnvironmentVariableW(L"LARKSPAN_CRASH_FOLDER", nullptr);
    SetEnvironmentVariableW(L"LARKSPAN_CRASH_IN_LOADER", nullptr);
    ASSERT_TRUE(started);
    UniqueHandle process(child.hProcess), thread(child.hThread);
    // Wine's dbghelp reads every module's debug information first.
    ASSERT_EQ(WaitForSingleObject(process.get(), 300000), WAIT_OBJECT_0) << "the crashed copy did not end";
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    EXPECT_EQ(code, kEscapedException);

    // The folder was made for it, and holds the dump alone.
    const std::vector<std::string> names = FilesIn(folder);
    ASSERT_EQ(names.size(), 1u) << ::testing::PrintToString(names);
    EXPECT_EQ(names[0].rfind("larkspan-", 0), 0u);
    std::ifstream dump(Narrow(folder) + "\\" + names[0], std::ios::binary);
    std::string signature(4, '\0');
    dump.read(signature.data(), 4);
    dump.close();
    EXPECT_EQ(signature, "MDMP");
    DeleteFileW((folder + L"\\" + Widen(names[0])).c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST(CrashHandlerTest, AnExceptionThatEscapesAThreadLeavesADumpAndEndsTheProcess) {
    CrashACopyAndFindItsDump(false);
}

// The dump's thread cannot start while the crashed thread holds the
// loader: the crash does not wait for it for ever, and writes the dump
// itself.
TEST(CrashHandlerTest, ACrashThatHoldsTheLoaderStillLeavesADumpAndEnds) { CrashACopyAndFindItsDump(true); }

}  // namespace
}  // namespace lark::win
