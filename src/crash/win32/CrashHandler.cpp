#include "crash/win32/CrashHandler.h"

#include <windows.h>
#include <dbghelp.h>
#include <tlhelp32.h>

#include <csignal>
#include <cwchar>
#include <exception>
#include <vector>

#include "base/Texts.h"
#include "base/win32/CrashStack.h"
#include "base/win32/Text.h"
#include "crash/CrashDumps.h"

namespace lark::win {
namespace {

// Codes of the crashes that are no processor exception.
constexpr DWORD kEscapedException = 0xE04C4B01;  // std::terminate
constexpr DWORD kAborted = 0xE04C4B02;           // abort()

constexpr const wchar_t* kTitle = L"Brindlewick Larkspan";
// How long the crash waits for its thread to start. A thread starts only
// once the loader lets it, and a crash inside a DLL's start-up holds the
// loader: the crash then writes the dump itself.
constexpr DWORD kDumpThreadStartMs = 5000;
enum : LONG { kUnclaimed = 0, kByDumpThread = 1, kByFaultingThread = 2 };

// Everything the dump thread needs, set up before any crash: a crash may
// come with a damaged heap, or with no more stack than the guarantee
// (KeepStackForCrash) left on the faulting thread.
struct Crash {
    wchar_t folder[MAX_PATH * 2] = {};
    // The messages, in the bar's language; the first holds %1 for the dump's path.
    std::wstring writtenText = L"Larkspan stopped because of an error.\n\nA crash dump was written to:\n%1";
    std::wstring notWrittenText = L"Larkspan stopped because of an error. No crash dump could be written.";
    bool tellUser = true;
    bool installed = false;
    volatile DWORD dumpThreadId = 0;
    volatile LONG crashing = 0;
    // Who writes the dump: the dump thread once it runs, or the faulting
    // thread once it gave up waiting for it.
    volatile LONG claim = kUnclaimed;
    DWORD faultingThread = 0;
    EXCEPTION_POINTERS* pointers = nullptr;
};

Crash& State() {
    static Crash crash;
    return crash;
}

// The folder and any missing folders above it.
void CreateFolders(const wchar_t* folder) {
    wchar_t path[MAX_PATH * 2];
    wcsncpy(path, folder, MAX_PATH * 2 - 1);
    path[MAX_PATH * 2 - 1] = L'\0';
    for (wchar_t* p = path + 3; *p; ++p) {
        if (*p != L'\\') continue;
        *p = L'\0';
        CreateDirectoryW(path, nullptr);
        *p = L'\\';
    }
    CreateDirectoryW(path, nullptr);
}

bool WriteDump(const wchar_t* path) {
    Crash& crash = State();
    // From the system folder, at the first (and only) need.
    wchar_t dll[MAX_PATH + 16];
    const UINT n = GetSystemDirectoryW(dll, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    wcscat(dll, L"\\dbghelp.dll");
    HMODULE dbghelp = LoadLibraryExW(dll, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!dbghelp) return false;
    using WriteFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                  PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);
    const auto write = reinterpret_cast<WriteFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(dbghelp, "MiniDumpWriteDump")));
    if (!write) return false;
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    MINIDUMP_EXCEPTION_INFORMATION exception{crash.faultingThread, crash.pointers, FALSE};
    const BOOL written = write(GetCurrentProcess(), GetCurrentProcessId(), file,
                               static_cast<MINIDUMP_TYPE>(MiniDumpWithIndirectlyReferencedMemory),
                               crash.pointers ? &exception : nullptr, nullptr, nullptr);
    CloseHandle(file);
    if (!written) DeleteFileW(path);
    return written != FALSE;
}

// Older dumps go, the one just written stays whatever the clock says.
void KeepNewest(const wchar_t* written) {
    Crash& crash = State();
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = std::wstring(crash.folder) + L"\\larkspan-*.dmp";
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (wcscmp(found.cFileName, written) != 0) names.push_back(Narrow(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    for (const std::string& name : DumpsToDelete(names))
        DeleteFileW((std::wstring(crash.folder) + L"\\" + Widen(name)).c_str());
}

// The rest of the process stops where it is: nothing it does after the
// crash (a save, a click on Exit) reaches a file.
void StopOtherThreads() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != GetCurrentProcessId() || entry.th32ThreadID == GetCurrentThreadId()) continue;
        if (HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID)) {
            SuspendThread(thread);
            CloseHandle(thread);
        }
    }
    CloseHandle(snapshot);
}

// Writes the dump, tells the user and ends the process.
[[noreturn]] void DumpAndEnd() {
    Crash& crash = State();
    crash.dumpThreadId = GetCurrentThreadId();
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const DumpTime at{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
    const std::string name = DumpFileName(at, GetCurrentProcessId());
    wchar_t path[MAX_PATH * 3];
    swprintf(path, MAX_PATH * 3, L"%ls\\%hs", crash.folder, name.c_str());
    CreateFolders(crash.folder);
    const bool written = WriteDump(path);
    if (written) KeepNewest(path + wcslen(crash.folder) + 1);
    std::wstring text = written ? crash.writtenText : crash.notWrittenText;
    if (const size_t slot = text.find(L"%1"); written && slot != std::wstring::npos) text.replace(slot, 2, path);
    StopOtherThreads();
    if (crash.tellUser) MessageBoxW(nullptr, text.c_str(), kTitle, MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
    const DWORD code = crash.pointers ? crash.pointers->ExceptionRecord->ExceptionCode : kAborted;
    TerminateProcess(GetCurrentProcess(), code);
    for (;;) Sleep(INFINITE);
}

DWORD WINAPI DumpThread(void*) {
    // Too late: the faulting thread writes it.
    if (InterlockedCompareExchange(&State().claim, kByDumpThread, kUnclaimed) != kUnclaimed) return 0;
    DumpAndEnd();
}

// Hands the crash to a thread of its own, made now (a thread waiting from
// the start would cost its working set in every run), and never returns.
[[noreturn]] void EndWithDump(EXCEPTION_POINTERS* pointers) {
    Crash& crash = State();
    if (InterlockedExchange(&crash.crashing, 1) != 0) {
        // The dump thread itself crashed: nothing more can be written.
        if (GetCurrentThreadId() == crash.dumpThreadId) TerminateProcess(GetCurrentProcess(), kAborted);
        // Another thread crashes meanwhile: the first crash ends the process.
        for (;;) Sleep(INFINITE);
    }
    crash.faultingThread = GetCurrentThreadId();
    crash.pointers = pointers;
    // Its own stack for dbghelp, whatever this thread has left.
    HANDLE thread = CreateThread(nullptr, 256 * 1024, DumpThread, nullptr, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    bool here = !thread;
    if (thread) {
        if (WaitForSingleObject(thread, kDumpThreadStartMs) == WAIT_TIMEOUT)
            here = InterlockedCompareExchange(&crash.claim, kByFaultingThread, kUnclaimed) == kUnclaimed;
        if (!here) WaitForSingleObject(thread, INFINITE);  // it started, and ends the process
    }
    // No thread, or one the loader holds back: an overflowed stack has no
    // room for dbghelp, any other crash writes its dump here.
    const DWORD code = pointers ? pointers->ExceptionRecord->ExceptionCode : kAborted;
    if (here && code != EXCEPTION_STACK_OVERFLOW) DumpAndEnd();
    TerminateProcess(GetCurrentProcess(), code);
    for (;;) Sleep(INFINITE);
}

// A crash that is no processor exception, described as one where it happened.
[[noreturn]] void EndHere(DWORD code) {
    CONTEXT context{};
    RtlCaptureContext(&context);
    EXCEPTION_RECORD record{};
    record.ExceptionCode = code;
    record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
    record.ExceptionAddress = reinterpret_cast<void*>(context.Rip);
    EXCEPTION_POINTERS pointers{&record, &context};
    EndWithDump(&pointers);
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* pointers) { EndWithDump(pointers); }

// An overflow is ended where it is raised: nothing of ours handles one, and
// the search for a handler through every frame can take more stack than
// the system left for it (under Wine it always does).
LONG WINAPI OnFirstChance(EXCEPTION_POINTERS* pointers) {
    if (pointers->ExceptionRecord->ExceptionCode == EXCEPTION_STACK_OVERFLOW) EndWithDump(pointers);
    return EXCEPTION_CONTINUE_SEARCH;
}

[[noreturn]] void OnTerminate() { EndHere(kEscapedException); }

void OnAbort(int) { EndHere(kAborted); }

}  // namespace

std::wstring DefaultCrashFolder() {
    wchar_t local[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return std::wstring(local) + L"\\Larkspan\\crashes";
    wchar_t temp[MAX_PATH + 1];
    const DWORD t = GetTempPathW(MAX_PATH + 1, temp);
    return (t > 0 && t <= MAX_PATH ? std::wstring(temp) : std::wstring(L".\\")) + L"Larkspan\\crashes";
}

void TellCrashesInLanguage() {
    Crash& crash = State();
    if (const std::string text = Text(IDS_CRASH_WRITTEN); !text.empty()) crash.writtenText = Widen(text);
    if (const std::string text = Text(IDS_CRASH_NOT_WRITTEN); !text.empty()) crash.notWrittenText = Widen(text);
}

void InstallCrashHandler(const std::wstring& folder, bool tellUser) {
    Crash& crash = State();
    if (crash.installed) return;
    crash.installed = true;
    wcsncpy(crash.folder, folder.c_str(), MAX_PATH * 2 - 1);
    crash.tellUser = tellUser;
    KeepStackForCrash();
    AddVectoredExceptionHandler(1, OnFirstChance);
    SetUnhandledExceptionFilter(OnUnhandledException);
    std::set_terminate(OnTerminate);
    std::signal(SIGABRT, OnAbort);
}

}  // namespace lark::win
