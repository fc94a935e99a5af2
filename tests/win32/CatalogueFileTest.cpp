// cINI over the real profile-string functions, on real files in a private
// temporary folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/win32/Text.h"
#include "catalogue/cINI.h"
#include "catalogue/win32/ProfileFileService.h"

namespace lark::win {
namespace {

using namespace std::string_literals;

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
        folder_ = std::wstring(temp) + L"larkspan-profile-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                  std::to_wstring(GetTickCount64());
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr)) << GetLastError();
        ini_.INIPath(PathOf("catalogue.ini"));
    }

    void TearDown() override {
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW((folder_ + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileW((folder_ + L"\\" + found.cFileName).c_str());
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

    // The file's raw bytes, or "<missing>" when there is no file.
    std::string ReadBytes() const {
        HANDLE file = CreateFileW(Widen(ini_.INIPath()).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
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
    ProfileFileService profile_;
    cINI ini_{profile_};
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

TEST_F(ProfileFileTest, GetValReadsAValueAndNothingForWhatIsMissingOrEmpty) {
    WriteBytes("[Tools]\r\nNotepad=C:\\Windows\\notepad.exe\r\nBlank=\r\n");
    EXPECT_EQ(ini_.GetVal("Tools", "Notepad"), "C:\\Windows\\notepad.exe");
    EXPECT_EQ(ini_.GetVal("Tools", "Blank"), "");
    EXPECT_EQ(ini_.GetVal("Tools", "Absent"), "");
    EXPECT_EQ(ini_.GetVal("Nowhere", "Notepad"), "");
    ini_.INIPath(PathOf("no-such-file.ini"));
    EXPECT_EQ(ini_.GetVal("Tools", "Notepad"), "");
}

TEST_F(ProfileFileTest, GetValKeepsAtMost254CharactersOfALongValue) {
    std::string value;
    for (int i = 0; value.size() < 300; ++i) value += static_cast<char>('a' + i % 26);
    WriteBytes("[S]\r\nLong=" + value + "\r\nExact=" + value.substr(0, 254) + "\r\n");
    EXPECT_EQ(ini_.GetVal("S", "Long"), value.substr(0, 254));
    EXPECT_EQ(ini_.GetVal("S", "Exact"), value.substr(0, 254));
}

TEST_F(ProfileFileTest, GetSectionListsEntriesEachEndingInOneNul) {
    WriteBytes("[A]\r\nOne=1\r\nTwo=C:\\two.exe\r\n[Empty]\r\n[B]\r\nThree=3\r\n");
    EXPECT_EQ(ini_.GetSection("A"), "One=1\0Two=C:\\two.exe\0"s);
    EXPECT_EQ(ini_.GetSection("B"), "Three=3\0"s);
    EXPECT_EQ(ini_.GetSection("Empty"), "");
    EXPECT_EQ(ini_.GetSection("Missing"), "");
}

TEST_F(ProfileFileTest, GetSectionOfALongSectionGivesTheTruncatedListStillNulTerminated) {
    std::string file = "[Big]\r\n";
    std::vector<std::string> entries;
    for (int i = 0; i < 100; ++i) {
        // 30 characters an entry: 100 entries are well past the buffer.
        char line[64];
        snprintf(line, sizeof line, "Key%03d=C:\\Programs\\target%03d.exe", i, i);
        entries.push_back(line);
        file += entries.back() + "\r\n";
    }
    WriteBytes(file);

    const std::string list = ini_.GetSection("Big");
    EXPECT_LE(list.size(), cINI::kSectionBuffer - 1);
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.back(), '\0');
    const std::vector<std::string> pieces = SplitAtNul(list);
    ASSERT_GT(pieces.size(), 10u);
    ASSERT_LT(pieces.size(), entries.size());
    // Every piece but the last is a whole entry in file order; the last may be cut.
    for (size_t i = 0; i + 1 < pieces.size(); ++i) EXPECT_EQ(pieces[i], entries[i]) << i;
    EXPECT_EQ(entries[pieces.size() - 1].rfind(pieces.back(), 0), 0u) << pieces.back();
}

TEST_F(ProfileFileTest, CreateMakesAMissingFileAndEveryWriterAnswersFalse) {
    ASSERT_EQ(ReadBytes(), "<missing>");
    EXPECT_FALSE(ini_.Create("Tools", "Notepad", "C:\\Windows\\notepad.exe"));
    EXPECT_EQ(ini_.GetVal("Tools", "Notepad"), "C:\\Windows\\notepad.exe");
    EXPECT_NE(ReadBytes().find("[Tools]\r\nNotepad=C:\\Windows\\notepad.exe\r\n"), std::string::npos)
        << ReadBytes();

    EXPECT_FALSE(ini_.Create("Tools", "Notepad", "D:\\edit.exe"));
    EXPECT_EQ(ini_.GetVal("Tools", "Notepad"), "D:\\edit.exe");
    EXPECT_FALSE(ini_.DeleteValue("Tools", "Notepad"));
    EXPECT_FALSE(ini_.DeleteKey("Tools", "Notepad"));
    EXPECT_FALSE(ini_.DeleteSection("Tools"));
    EXPECT_EQ(ini_.GetSection("Tools"), "");
    EXPECT_EQ(ReadBytes().find("[Tools]"), std::string::npos) << ReadBytes();
}

TEST_F(ProfileFileTest, CreateThenDeleteKeyLeavesTheBareHeader) {
    ini_.Create("S", "_New", "");
    ini_.DeleteKey("S", "_New");
    EXPECT_EQ(ReadBytes(), "[S]\r\n");
    EXPECT_EQ(ini_.GetSection("S"), "");
}

TEST_F(ProfileFileTest, DeleteValueKeepsTheKeyWithNothingAfterItsEquals) {
    WriteBytes("[S]\r\nA=1\r\nB=2\r\n");
    ini_.DeleteValue("S", "A");
    EXPECT_EQ(ReadBytes(), "[S]\r\nA=\r\nB=2\r\n");
    EXPECT_EQ(ini_.GetVal("S", "A"), "");
    EXPECT_EQ(ini_.GetSection("S"), "A=\0B=2\0"s);
}

TEST_F(ProfileFileTest, DeleteSectionRemovesOnlyThatSectionAndLeavesAFileWithoutItUntouched) {
    const std::string bytes = "[A]\r\nOne=1\r\n\r\n[B]\r\nTwo=2\r\n";
    WriteBytes(bytes);
    ini_.DeleteSection("Missing");
    EXPECT_EQ(ReadBytes(), bytes);

    ini_.DeleteSection("A");
    EXPECT_EQ(ini_.GetSection("A"), "");
    EXPECT_EQ(ini_.GetVal("B", "Two"), "2");
    EXPECT_EQ(ReadBytes().find("One=1"), std::string::npos) << ReadBytes();
}

TEST_F(ProfileFileTest, TextOutsideAsciiIsStoredInTheAnsiCodePage) {
    if (GetACP() != 1252) GTEST_SKIP() << "expects Wine's default ANSI code page 1252, have " << GetACP();
    const std::string cafe = "Caf\xC3\xA9";  // UTF-8
    ini_.Create(cafe, cafe, cafe);
    EXPECT_EQ(ReadBytes(), "[Caf\xE9]\r\nCaf\xE9=Caf\xE9\r\n");
    EXPECT_EQ(ini_.GetVal(cafe, cafe), cafe);
    EXPECT_EQ(ini_.GetSection(cafe), cafe + "=" + cafe + "\0"s);
}

}  // namespace
}  // namespace lark::win
