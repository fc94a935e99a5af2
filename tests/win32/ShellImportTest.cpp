// Auto Load through the real shell: shortcuts made with IShellLinkW in a
// private folder tree (and on the prefix's desktop), imported into a real
// catalogue file in one save.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/ErrorReporter.h"
#include "base/RuntimeError.h"
#include "base/win32/Services.h"
#include "base/win32/Text.h"
#include "catalogue/ShellImport.h"
#include "catalogue/win32/ShellFolderTree.h"

namespace lark::win {
namespace {

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << Narrow(path);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

// The shell may still hold a file it was asked about for a moment after
// answering (a delete then stays pending and its folder cannot go), as
// indexers and virus scanners do on Windows: try again until a deadline.
void RemoveTreeSoon(const std::wstring& path) {
    const ULONGLONG deadline = GetTickCount64() + 5000;
    do {
        RemoveTree(path);
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
        Sleep(50);
    } while (GetTickCount64() < deadline);
}

// Saves a shortcut; the link points at a path or, when idList is given, at
// that shell object.
void SaveShortcut(const std::wstring& lnk, const std::wstring& target, PCIDLIST_ABSOLUTE idList = nullptr,
                  const wchar_t* arguments = nullptr) {
    IShellLinkW* link = nullptr;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                              reinterpret_cast<void**>(&link)));
    if (idList) {
        EXPECT_HRESULT_SUCCEEDED(link->SetIDList(idList));
    } else {
        EXPECT_HRESULT_SUCCEEDED(link->SetPath(target.c_str()));
    }
    if (arguments) EXPECT_HRESULT_SUCCEEDED(link->SetArguments(arguments));
    IPersistFile* file = nullptr;
    EXPECT_HRESULT_SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
    if (file) {
        EXPECT_HRESULT_SUCCEEDED(file->Save(lnk.c_str(), TRUE));
        file->Release();
    }
    link->Release();
}

// Answers one number with a folder opened by path, like a special folder.
class PathTree : public IFolderTree {
public:
    PathTree(ShellFolderTree& shell, int32_t number, std::string path)
        : shell_(shell), number_(number), path_(std::move(path)) {}
    std::unique_ptr<IFolder> OpenSpecialFolder(int32_t folderNumber) override {
        return folderNumber == number_ ? shell_.OpenPath(path_) : shell_.OpenSpecialFolder(folderNumber);
    }

private:
    ShellFolderTree& shell_;
    int32_t number_;
    std::string path_;
};

// The same, walked through the shell's namespace as a folder without a path.
class NamespaceTree : public IFolderTree {
public:
    NamespaceTree(ShellFolderTree& shell, std::string path) : shell_(shell), path_(std::move(path)) {}
    std::unique_ptr<IFolder> OpenSpecialFolder(int32_t) override { return shell_.OpenPathInNamespace(path_); }

private:
    ShellFolderTree& shell_;
    std::string path_;
};

std::vector<std::string> SortedLines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0, end; start < text.size(); start = end + 2) {
        end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

class RecordingProgress : public IProgressWindow {
public:
    void ShowProgress(int32_t maximum) override { max = maximum; }
    void SetProgress(int32_t value) override { values.push_back(value); }
    void Unload() override { ++unloads; }
    int32_t max = -1;
    std::vector<int32_t> values;
    int unloads = 0;
};

class CountingEvents : public IEventLoop {
public:
    void DoEvents() override { ++calls; }
    int calls = 0;
};

constexpr int32_t kTestFolder = 1000;

class ShellImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(SUCCEEDED(com)) << com;
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
        work_ = std::wstring(temp) + L"larkspan-import-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(GetTickCount64());
        ASSERT_TRUE(CreateDirectoryW(work_.c_str(), nullptr)) << GetLastError();
        ASSERT_TRUE(CreateDirectoryW((work_ + L"\\targets").c_str(), nullptr));
        state_.CatalogueIni = std::make_unique<cINI>(files_, codePage_);
        state_.CatalogueIni->INIPath(Narrow(Catalogue()));
    }

    void TearDown() override {
        state_.CatalogueIni.reset();
        RemoveTreeSoon(work_);
        EXPECT_EQ(GetFileAttributesW(work_.c_str()), INVALID_FILE_ATTRIBUTES);
        CoUninitialize();
    }

    std::wstring Catalogue() const { return work_ + L"\\catalogue.ini"; }

    // A real file for shortcuts to point at, under targets\.
    std::wstring Target(const std::wstring& relative) {
        const std::wstring path = work_ + L"\\targets\\" + relative;
        const size_t slash = path.find_last_of(L'\\');
        CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
        WriteFileBytes(path, "MZ");
        return path;
    }

    std::wstring Folder(const std::wstring& relative) {
        const std::wstring path = work_ + L"\\" + relative;
        EXPECT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << Narrow(path);
        return path;
    }

    void Import(IFolderTree& tree, int32_t number) {
        ImportContext context{state_, tree, progress_, events_, errors_};
        ImportShellFolder(context, number, true);
    }

    std::wstring work_;
    FileSystemService files_;
    AnsiCodePageService codePage_;
    MessageBoxService boxes_;
    MousePointerService pointer_;
    ErrorReporter errors_{boxes_, pointer_};
    AppState state_;
    ShellFolderTree shell_;
    RecordingProgress progress_;
    CountingEvents events_;
};

TEST_F(ShellImportTest, AFolderTreeBecomesSectionsByDepthInTheShellsOrder) {
    const std::wstring root = Folder(L"Start");
    Folder(L"Start\\Tools");
    Folder(L"Start\\Tools\\Office");
    Folder(L"Start\\Tools\\Office\\Deep");
    Folder(L"Start\\Tools\\Office\\Deep\\Four");
    const std::wstring alpha = Target(L"alpha.exe"), beta = Target(L"beta.exe"), hammer = Target(L"hammer.exe"),
                       word = Target(L"word.exe"), grep = Target(L"grep.exe"), sed = Target(L"sed.exe"),
                       setup = Target(L"{90120000-0011-0000}\\setup.exe");
    // Created out of name order: the walk must not follow creation or
    // directory order.
    SaveShortcut(root + L"\\Tools\\Office\\Word.lnk", word);
    SaveShortcut(root + L"\\beta.lnk", beta);
    SaveShortcut(root + L"\\Alpha.lnk", alpha);
    SaveShortcut(root + L"\\Setup.lnk", setup);
    SaveShortcut(root + L"\\Tools\\Hammer.lnk", hammer);
    SaveShortcut(root + L"\\Tools\\Office\\Deep\\Grep.lnk", grep);
    SaveShortcut(root + L"\\Tools\\Office\\Deep\\Four\\Sed.lnk", sed);
    WriteFileBytes(root + L"\\notes.txt", "not a shortcut");
    SaveShortcut(root + L"\\Hidden.lnk", alpha);
    SetFileAttributesW((root + L"\\Hidden.lnk").c_str(), FILE_ATTRIBUTE_HIDDEN);

    PathTree tree(shell_, kTestFolder, Narrow(root));
    Import(tree, kTestFolder);

    // Sed, four levels down, follows Hammer: Four is walked before Grep.
    const std::string n = "\r\n";
    EXPECT_EQ(ReadFileBytes(Catalogue()),
              "[Start]" + n + "Alpha=" + Narrow(alpha) + n + "beta=" + Narrow(beta) + n +
                  "Setup=" + Narrow(root) + "\\Setup.lnk" + n +                      //
                  "[Tools]" + n + "Hammer=" + Narrow(hammer) + n + "Sed=" + Narrow(sed) + n +  //
                  "[Tools\\Office\\Deep]" + n + "Grep=" + Narrow(grep) + n +          //
                  "[Tools\\Office]" + n + "Word=" + Narrow(word) + n);
    // Alpha, beta, notes.txt, Setup and Tools; the hidden shortcut is not listed.
    EXPECT_EQ(progress_.max, 5);
    EXPECT_EQ(progress_.values, std::vector<int32_t>{1});
    EXPECT_EQ(progress_.unloads, 1);
}

TEST_F(ShellImportTest, AShortcutToAShellObjectIsStoredAsItsOwnPath) {
    const std::wstring root = Folder(L"Objects");
    PIDLIST_ABSOLUTE computer = nullptr;
    ASSERT_HRESULT_SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer));
    SaveShortcut(root + L"\\Computer.lnk", L"", computer);
    CoTaskMemFree(computer);

    std::unique_ptr<IFolder> folder = shell_.OpenPath(Narrow(root));
    const std::vector<FolderEntry> items = folder->Items();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].name, "Computer");
    EXPECT_TRUE(items[0].isShortcut);
    const std::string target = folder->ShortcutTarget(items[0]).target;
    EXPECT_NE(target.find('{'), std::string::npos) << target;

    PathTree tree(shell_, kTestFolder, Narrow(root));
    Import(tree, kTestFolder);
    EXPECT_EQ(ReadFileBytes(Catalogue()), "[Objects]\r\nComputer=" + Narrow(root) + "\\Computer.lnk\r\n");
}

TEST_F(ShellImportTest, InternetShortcutsAndArgumentsThroughTheFilesOrTheShellsNamespace) {
    const std::wstring root = Folder(L"Favorites");
    Folder(L"Favorites\\Links");
    const std::wstring tool = Target(L"tool.exe");
    SaveShortcut(root + L"\\Tool.lnk", tool, nullptr, L"/x \"a b\"");
    WriteFileBytes(root + L"\\News.url", "[InternetShortcut]\r\nURL=http://news.example/?q=1\r\n");
    WriteFileBytes(root + L"\\Links\\Wiki.url",
                   "[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,2\r\n[InternetShortcut]\r\n"
                   "URL=https://wiki.example/\r\nIDList=\r\n");

    PathTree tree(shell_, kTestFolder, Narrow(root));
    Import(tree, kTestFolder);
    const std::string expected = "[Links]\r\nWiki=https://wiki.example/\r\n"
                                 "[Favorites]\r\nNews=http://news.example/?q=1\r\nTool=\"" +
                                 Narrow(tool) + "\" /x \"a b\"\r\n";
    EXPECT_EQ(ReadFileBytes(Catalogue()), expected);

    // The shell's own walk, in its own order, finds the same entries.
    DeleteFileW(Catalogue().c_str());
    NamespaceTree shellTree(shell_, Narrow(root));
    Import(shellTree, kTestFolder);
    EXPECT_EQ(SortedLines(ReadFileBytes(Catalogue())), SortedLines(expected));
}

TEST_F(ShellImportTest, AnUnreadableShortcutEndsTheWalkOfItsFolderOnly) {
    const std::wstring first = Folder(L"First");
    const std::wstring second = Folder(L"Second");
    const std::wstring a = Target(L"a.exe"), c = Target(L"c.exe"), d = Target(L"d.exe");
    SaveShortcut(first + L"\\A.lnk", a);
    WriteFileBytes(first + L"\\B.lnk", "this is no shortcut");
    SaveShortcut(first + L"\\C.lnk", c);
    SaveShortcut(second + L"\\D.lnk", d);

    PathTree firstTree(shell_, kTestFolder, Narrow(first));
    PathTree secondTree(shell_, kTestFolder, Narrow(second));
    Import(firstTree, kTestFolder);
    Import(secondTree, kTestFolder);
    EXPECT_EQ(ReadFileBytes(Catalogue()), "[First]\r\nA=" + Narrow(a) + "\r\n[Second]\r\nD=" + Narrow(d) + "\r\n");
    EXPECT_EQ(progress_.unloads, 2);
}

TEST_F(ShellImportTest, SpecialFoldersWithoutFilesWriteNothing) {
    // The network folder has no file-system path: the shell's own walk of
    // it finds nothing in this prefix.
    std::unique_ptr<IFolder> network = shell_.OpenSpecialFolder(CSIDL_NETWORK);
    EXPECT_TRUE(network->Items().empty());
    EXPECT_THROW(shell_.OpenSpecialFolder(0x7f), RuntimeError);

    Import(shell_, CSIDL_NETWORK);
    Import(shell_, 0x7f);
    EXPECT_EQ(ReadFileBytes(Catalogue()), "<missing>");
    EXPECT_EQ(progress_.max, 0);
    EXPECT_EQ(progress_.unloads, 2);
    EXPECT_EQ(events_.calls, 4);
}

TEST_F(ShellImportTest, AShortcutOnTheUsersDesktopGoesIntoTheDesktopsSection) {
    wchar_t desktop[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop)))
        GTEST_SKIP() << "no desktop folder in this prefix";
    const std::wstring name = L"Larkspan import test " + std::to_wstring(GetCurrentProcessId());
    const std::wstring lnk = std::wstring(desktop) + L"\\" + name + L".lnk";
    ASSERT_EQ(GetFileAttributesW(lnk.c_str()), INVALID_FILE_ATTRIBUTES);
    const std::wstring target = Target(L"desk.exe");
    SaveShortcut(lnk, target);

    Import(shell_, CSIDL_DESKTOPDIRECTORY);
    DeleteFileW(lnk.c_str());
    EXPECT_EQ(GetFileAttributesW(lnk.c_str()), INVALID_FILE_ATTRIBUTES);

    const std::string title = shell_.OpenSpecialFolder(CSIDL_DESKTOPDIRECTORY)->Title();
    EXPECT_EQ(title, "Desktop");
    const std::string bytes = ReadFileBytes(Catalogue());
    EXPECT_EQ(bytes.find("[Desktop]\r\n"), 0u) << bytes;
    EXPECT_NE(bytes.find("\r\n" + Narrow(name) + "=" + Narrow(target) + "\r\n"), std::string::npos) << bytes;
    EXPECT_EQ(state_.CatalogueIni->GetVal("Desktop", Narrow(name)), Narrow(target));
}

}  // namespace
}  // namespace lark::win
