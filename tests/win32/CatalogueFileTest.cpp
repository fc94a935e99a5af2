// cINI over the real file system and ANSI code page, on real files in a
// private temporary folder: the layout a profile-function user expects, the
// code page rule, and saves that complete or leave nothing.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "base/cINI.h"
#include "base/RuntimeError.h"
#include "base/Unicode.h"
#include "base/win32/LogFile.h"
#include "base/win32/Services.h"
#include "base/win32/Text.h"

namespace lark::win {
namespace {

using namespace std::string_literals;

class CatalogueFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
        folder_ = std::wstring(temp) + L"larkspan-catalogue-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                  std::to_wstring(GetTickCount64());
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr)) << GetLastError();
        ini_.INIPath(PathOf("catalogue.ini"));
    }

    void TearDown() override {
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW((folder_ + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring path = folder_ + L"\\" + found.cFileName;
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    if (found.cFileName[0] != L'.') RemoveDirectoryW(path.c_str());
                } else {
                    DeleteFileW(path.c_str());
                }
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        EXPECT_TRUE(RemoveDirectoryW(folder_.c_str())) << GetLastError();
    }

    std::string PathOf(const std::string& name) const { return Narrow(folder_) + "\\" + name; }

    void WriteBytes(const std::string& bytes) const {
        HANDLE file = CreateFileW(Widen(ini_.INIPath()).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        ASSERT_TRUE(ok && written == bytes.size());
    }

    // A file's raw bytes, or "<missing>" when there is no file.
    std::string ReadBytes() const { return ReadBytesOf(ini_.INIPath()); }
    std::string ReadBytesOf(const std::string& path) const {
        HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return "<missing>";
        std::string bytes(GetFileSize(file, nullptr), '\0');
        DWORD read = 0;
        ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
        CloseHandle(file);
        bytes.resize(read);
        return bytes;
    }

    std::wstring folder_;
    FileSystemService files_;
    AnsiCodePageService codePage_;
    cINI ini_{files_, codePage_};
};

std::vector<std::string> SplitAtNul(const std::string& list) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t nul = list.find('\0'); nul != std::string::npos; nul = list.find('\0', start)) {
        out.push_back(list.substr(start, nul - start));
        start = nul + 1;
    }
    EXPECT_EQ(start, list.size()) << "text after the last NUL";
    return out;
}

TEST_F(CatalogueFileTest, GetValReadsAValueAndNothingForWhatIsMissingOrEmpty) {
    WriteBytes("[Tools]\r\nNotepad=C:\\Windows\\notepad.exe\r\nBlank=\r\n");
    EXPECT_EQ(ini_.GetVal("Tools", "Notepad"), "C:\\Windows\\notepad.exe");
    EXPECT_EQ(ini_.GetVal("Tools", "Blank"), "");
    EXPECT_EQ(ini_.GetVal("Tools", "Absent"), "");
    EXPECT_EQ(ini_.GetVal("Nowhere", "Notepad"), "");
    ini_.INIPath(PathOf("no-such-file.ini"));
    EXPECT_EQ(ini_.GetVal("Tools", "Notepad"), "");
}

TEST_F(CatalogueFileTest, LongValuesAndSectionsComeBackWhole) {
    std::string value;
    for (int i = 0; value.size() < 300; ++i) value += static_cast<char>('a' + i % 26);
    std::string file = "[S]\r\nLong=" + value + "\r\n[Big]\r\n";
    std::vector<std::string> entries;
    for (int i = 0; i < 100; ++i) {
        // 30 characters an entry: far beyond the old 2048-character buffer.
        char line[64];
        snprintf(line, sizeof line, "Key%03d=C:\\Programs\\target%03d.exe", i, i);
        entries.push_back(line);
        file += entries.back() + "\r\n";
    }
    WriteBytes(file);
    EXPECT_EQ(ini_.GetVal("S", "Long"), value);
    EXPECT_EQ(SplitAtNul(ini_.GetSection("Big")), entries);
}

TEST_F(CatalogueFileTest, GetSectionListsEntriesEachEndingInOneNul) {
    WriteBytes("[A]\r\nOne=1\r\nTwo=C:\\two.exe\r\n[Empty]\r\n[B]\r\nThree=3\r\n");
    EXPECT_EQ(ini_.GetSection("A"), "One=1\0Two=C:\\two.exe\0"s);
    EXPECT_EQ(ini_.GetSection("B"), "Three=3\0"s);
    EXPECT_EQ(ini_.GetSection("Empty"), "");
    EXPECT_EQ(ini_.GetSection("Missing"), "");
}

TEST_F(CatalogueFileTest, CreateMakesAMissingFileAndEveryWriterAnswersTrue) {
    ASSERT_EQ(ReadBytes(), "<missing>");
    EXPECT_TRUE(ini_.Create("Tools", "Notepad", "C:\\Windows\\notepad.exe"));
    EXPECT_EQ(ReadBytes(), "[Tools]\r\nNotepad=C:\\Windows\\notepad.exe\r\n");
    EXPECT_TRUE(ini_.Create("Tools", "Notepad", "D:\\edit.exe"));
    EXPECT_EQ(ini_.GetVal("Tools", "Notepad"), "D:\\edit.exe");
    EXPECT_TRUE(ini_.DeleteValue("Tools", "Notepad"));
    EXPECT_TRUE(ini_.DeleteKey("Tools", "Notepad"));
    EXPECT_TRUE(ini_.DeleteSection("Tools"));
    EXPECT_EQ(ini_.GetSection("Tools"), "");
    EXPECT_EQ(ReadBytes().find("[Tools]"), std::string::npos) << ReadBytes();
}

TEST_F(CatalogueFileTest, CreateThenDeleteKeyLeavesTheBareHeader) {
    ini_.Create("S", "_New", "");
    ini_.DeleteKey("S", "_New");
    EXPECT_EQ(ReadBytes(), "[S]\r\n");
    EXPECT_EQ(ini_.GetSection("S"), "");
}

TEST_F(CatalogueFileTest, DeleteValueKeepsTheKeyWithNothingAfterItsEquals) {
    WriteBytes("[S]\r\nA=1\r\nB=2\r\n");
    ini_.DeleteValue("S", "A");
    EXPECT_EQ(ReadBytes(), "[S]\r\nA=\r\nB=2\r\n");
    EXPECT_EQ(ini_.GetVal("S", "A"), "");
    EXPECT_EQ(ini_.GetSection("S"), "A=\0B=2\0"s);
}

TEST_F(CatalogueFileTest, DeleteSectionRemovesOnlyThatSectionAndLeavesAFileWithoutItUntouched) {
    const std::string bytes = "[A]\r\nOne=1\r\n\r\n[B]\r\nTwo=2\r\n";
    WriteBytes(bytes);
    ini_.DeleteSection("Missing");
    EXPECT_EQ(ReadBytes(), bytes);
    ini_.DeleteSection("A");
    EXPECT_EQ(ReadBytes(), "[B]\r\nTwo=2\r\n");
}

TEST_F(CatalogueFileTest, TheAnsiCodePageHoldsOnlyExactNamesElseTheFileTurnsUnicode) {
    if (GetACP() != 1252) GTEST_SKIP() << "expects Wine's default ANSI code page 1252, have " << GetACP();
    const std::string cafe = "Caf\xC3\xA9";  // UTF-8
    ini_.Create(cafe, cafe, cafe);
    const std::string ansi = "[Caf\xE9]\r\nCaf\xE9=Caf\xE9\r\n";
    EXPECT_EQ(ReadBytes(), ansi);
    EXPECT_EQ(ini_.GetSection(cafe), cafe + "=" + cafe + "\0"s);

    // A full-width equals sign would best-fit to "=" and split the line.
    const std::string name = "a\xEF\xBC\x9D" "b";
    ini_.Create(cafe, name, "C:\\x.exe");
    EXPECT_EQ(ReadBytes(), "\xFF\xFE" + Utf8ToUtf16Le("[Café]\r\nCafé=Café\r\n" + name + "=C:\\x.exe\r\n"));
    EXPECT_EQ(ReadBytesOf(ini_.BackupPath()), ansi);
    EXPECT_EQ(ini_.GetVal(cafe, name), "C:\\x.exe");
}

TEST_F(CatalogueFileTest, ASaveReplacesTheFileInOneStepAndKeepsTheStateBefore) {
    WriteBytes("[A]\r\n");
    ini_.Create("A", "One", "1");
    ini_.Create("A", "Two", "2");
    EXPECT_EQ(ReadBytes(), "[A]\r\nOne=1\r\nTwo=2\r\n");
    EXPECT_EQ(ReadBytesOf(ini_.BackupPath()), "[A]\r\nOne=1\r\n");
    EXPECT_EQ(ReadBytesOf(ini_.INIPath() + ".new"), "<missing>");

    // Refused saves leave the file as it was: read-only, then held open by
    // another program that shares nothing.
    ASSERT_TRUE(SetFileAttributesW(Widen(ini_.INIPath()).c_str(), FILE_ATTRIBUTE_READONLY));
    try {
        ini_.Create("A", "Three", "3");
        ADD_FAILURE() << "saved into a read-only file";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number(), kErrPermissionDenied);
        EXPECT_NE(e.Description().find(ini_.INIPath()), std::string::npos) << e.Description();
    }
    ASSERT_TRUE(SetFileAttributesW(Widen(ini_.INIPath()).c_str(), FILE_ATTRIBUTE_NORMAL));
    HANDLE locked = CreateFileW(Widen(ini_.INIPath()).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_THROW(ini_.Create("A", "Three", "3"), RuntimeError);
    CloseHandle(locked);
    EXPECT_EQ(ReadBytes(), "[A]\r\nOne=1\r\nTwo=2\r\n");
    EXPECT_EQ(ReadBytesOf(ini_.INIPath() + ".new"), "<missing>");
}

TEST_F(CatalogueFileTest, AFolderIsTestedByCreatingAFileAndMadeWithItsParents) {
    EXPECT_TRUE(files_.CanCreateFilesIn(Narrow(folder_)));
    EXPECT_FALSE(files_.CanCreateFilesIn(PathOf("missing")));
    const std::string nested = PathOf("one\\two");
    files_.CreateFolder(nested);
    files_.CreateFolder(nested);  // there already: fine
    EXPECT_TRUE(files_.CanCreateFilesIn(nested));
    const std::string beside = PathOf("one\\three");  // its parent there
    files_.CreateFolder(beside);
    EXPECT_TRUE(files_.CanCreateFilesIn(beside));
    RemoveDirectoryW(Widen(beside).c_str());
    RemoveDirectoryW(Widen(nested).c_str());
    // The probe leaves nothing behind.
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder_ + L"\\~larkspan*").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

// The log stays small: a line that would take the file past its limit
// moves it to the ".old" file (one only) and starts a new one; a run that
// logs nothing never asks where the log is.
TEST_F(CatalogueFileTest, TheLogKeepsItsLastLinesAndOneOlderFile) {
    int asked = 0;
    LogFile log([&] {
        ++asked;
        return Widen(PathOf("Larkspan\\larkspan.log"));
    }, 200);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(LogFile::OldPath(L"C:\\a.b\\larkspan.log"), L"C:\\a.b\\larkspan.old.log");
    EXPECT_EQ(LogFile::OldPath(L"C:\\a.b\\log"), L"C:\\a.b\\log.old");
    for (int line = 1; line <= 12; ++line) log.Write("failure " + std::to_string(line) + "\r\nsecond row");
    EXPECT_EQ(asked, 1);
    const std::string now = ReadBytesOf(PathOf("Larkspan\\larkspan.log"));
    const std::string old = ReadBytesOf(PathOf("Larkspan\\larkspan.old.log"));
    EXPECT_LE(now.size(), 200u);
    EXPECT_LE(old.size(), 200u);
    EXPECT_NE(now.find("failure 12  second row\r\n"), std::string::npos) << now;  // one line still
    EXPECT_EQ(now.find("failure 1 "), std::string::npos);
    EXPECT_NE(old.find("failure"), std::string::npos) << old;
    // "YYYY-MM-DD hh:mm:ss  " before each line.
    EXPECT_EQ(now.substr(4, 1) + now.substr(7, 1) + now.substr(19, 2), "--  ");
    DeleteFileW(Widen(PathOf("Larkspan\\larkspan.log")).c_str());
    DeleteFileW(Widen(PathOf("Larkspan\\larkspan.old.log")).c_str());
    RemoveDirectoryW(Widen(PathOf("Larkspan")).c_str());
}

}  // namespace
}  // namespace lark::win
