#include <gtest/gtest.h>

#include "Fakes.h"
#include "base/cINI.h"

namespace lark::test {
namespace {

constexpr const char* kPath = "C:\\cat.ini";
constexpr const char* kBackup = "C:\\cat.ini.bak";

class CiniTest : public ::testing::Test {
protected:
    CiniTest() { ini.INIPath(kPath); }
    std::string& File() { return files.files[kPath]; }

    FakeFileSystem files;
    FakeCodePage codePage;
    cINI ini{files, codePage};
};

TEST_F(CiniTest, NamesAreFoundAsTheFileSeesThem) {
    EXPECT_EQ(ini.GetVal("S", "K"), "");  // a missing file reads as empty
    EXPECT_FALSE(ini.HasSection("S"));
    File() = "top=1\r\n[ Tools ]\r\nNotepad = C:\\n.exe \r\n\r\n;note\r\n[Tools]\r\nLater=x\r\n[Web";
    EXPECT_TRUE(ini.HasSection("tools"));
    EXPECT_TRUE(ini.HasKey(" TOOLS", "notepad"));
    EXPECT_FALSE(ini.HasKey("Tools", "Later"));  // the first section of a name is the one
    EXPECT_FALSE(ini.HasKey("Tools", "top"));    // before any header: in no section
    EXPECT_FALSE(ini.HasSection("Web"));         // no closing bracket, no header
    EXPECT_EQ(ini.GetVal("Tools", "Notepad"), "C:\\n.exe");
    EXPECT_EQ(ini.GetSection("Tools"), std::string("Notepad = C:\\n.exe \0;note\0", 26));
}

TEST_F(CiniTest, EachEditIsOneSaveThatKeepsEveryOtherByte) {
    const std::string start = "; mine\r\n[Tools]\r\nNotepad = C:\\n.exe\r\n\r\n[Web]  \r\nHome=http://a\r\n";
    File() = start;
    ini.Create("Tools", "Calc", "C:\\calc.exe");
    const std::string withCalc = "; mine\r\n[Tools]\r\nNotepad = C:\\n.exe\r\nCalc=C:\\calc.exe\r\n\r\n[Web]  \r\nHome=http://a\r\n";
    EXPECT_EQ(File(), withCalc);
    EXPECT_EQ(files.files.at(kBackup), start);

    ini.Create("TOOLS", "notepad", "D:\\n2.exe");  // rewritten in place, its own spelling kept
    EXPECT_EQ(File(), "; mine\r\n[Tools]\r\nNotepad=D:\\n2.exe\r\nCalc=C:\\calc.exe\r\n\r\n[Web]  \r\nHome=http://a\r\n");
    EXPECT_EQ(files.files.at(kBackup), withCalc);

    ini.DeleteKey("Tools", "Notepad");
    ini.DeleteSection("web");
    EXPECT_EQ(File(), "; mine\r\n[Tools]\r\nCalc=C:\\calc.exe\r\n\r\n");
    ini.DeleteValue("Tools", "Calc");
    EXPECT_EQ(File(), "; mine\r\n[Tools]\r\nCalc=\r\n\r\n");
    EXPECT_EQ(files.saves, 5);

    // Deleting what is not there changes nothing and saves nothing.
    ini.DeleteSection("Gone");
    ini.DeleteKey("Tools", "Gone");
    EXPECT_EQ(files.saves, 5);
}

TEST_F(CiniTest, NewSectionsGoAtTheEndAfterALineEnd) {
    File() = "\r\n";  // a new catalogue: its empty line does not stay in front
    ini.Create("A", "k", "v");
    EXPECT_EQ(File(), "[A]\r\nk=v\r\n");
    File() = "[A]\r\nk=v";  // no line end at the end
    ini.Create("B", "x", "y");
    EXPECT_EQ(File(), "[A]\r\nk=v\r\n[B]\r\nx=y\r\n");
    ini.Create("A", "m", "n");
    EXPECT_EQ(File(), "[A]\r\nk=v\r\nm=n\r\n[B]\r\nx=y\r\n");
}

TEST_F(CiniTest, TheBarsOwnEditsMoveLinesAsTheyStandAndTouchNothingElse) {
    const std::string web = "[Web]\r\nHome=http://h\r\n";
    const std::string b = "B=\"C:\\b.exe\" /x\r\n";
    File() = "[Tools]\r\nA = C:\\a.exe\r\n; note\r\n" + b + "\r\nC=c\r\n" + web;
    ini.ArrangeSection("tools", {"C", "A ", "B"});  // by the loader's key "A ", then in any spelling
    EXPECT_EQ(File(), "[Tools]\r\nC=c\r\n; note\r\nA = C:\\a.exe\r\n\r\n" + b + web);
    ini.ArrangeSection("Tools", {"C", "A", "B", "Gone"});  // already so: no save
    EXPECT_EQ(files.saves, 1);

    ini.MoveKey("Tools", "b", "Web");  // to the end of the other section
    EXPECT_EQ(File(), "[Tools]\r\nC=c\r\n; note\r\nA = C:\\a.exe\r\n\r\n" + web + b);
    ini.MoveKey("Tools", "C", "Games");  // a section not there is made at the end
    EXPECT_EQ(File(), "[Tools]\r\n; note\r\nA = C:\\a.exe\r\n\r\n" + web + b + "[Games]\r\nC=c\r\n");

    ini.RenameKey("Tools", "A ", "Editor");  // only the key: the value as written
    ini.RenameSection("web", "Internet");
    EXPECT_EQ(File(), "[Tools]\r\n; note\r\nEditor= C:\\a.exe\r\n\r\n[Internet]\r\nHome=http://h\r\n" + b +
                          "[Games]\r\nC=c\r\n");
    EXPECT_EQ(files.saves, 5);

    // Two entries the loader tells apart by letter case: the one named exactly.
    File() = "[S]\r\nmail=1\r\nMail=2\r\n";
    ini.RenameKey("S", "Mail", "Post");
    ini.ArrangeSection("S", {"Post", "mail"});
    EXPECT_EQ(File(), "[S]\r\nPost=2\r\nmail=1\r\n");
}

TEST_F(CiniTest, ABatchIsOneSaveAndACancelledOneNone) {
    File() = "[A]\r\n";
    {
        CatalogueBatch batch(ini);
        ini.Create("B", "_New", "");
        ini.DeleteKey("B", "_New");
        EXPECT_TRUE(ini.HasSection("B"));  // reads see the batch
        EXPECT_EQ(File(), "[A]\r\n");
        batch.Commit();
    }
    EXPECT_EQ(File(), "[A]\r\n[B]\r\n");
    EXPECT_EQ(files.saves, 1);
    {
        CatalogueBatch batch(ini);
        ini.DeleteSection("A");
    }
    EXPECT_EQ(File(), "[A]\r\n[B]\r\n");
    EXPECT_EQ(files.saves, 1);
    EXPECT_FALSE(ini.InBatch());
}

TEST_F(CiniTest, AnAnsiFileStaysAnsiUntilANameDoesNotFitThenTurnsUnicodeOnce) {
    File() = "[Caf\xE9]\r\nA=1\r\n";  // Latin-1 bytes
    ini.Create("Café", "Crème", "C:\\é.exe");
    EXPECT_EQ(File(), "[Caf\xE9]\r\nA=1\r\nCr\xE8me=C:\\\xE9.exe\r\n");

    const std::string ansi = File();
    ini.Create("工具 🚀", "Mail", "C:\\mail.exe");
    const std::string expected = "\xFF\xFE" + Utf8ToUtf16Le("[Café]\r\nA=1\r\nCrème=C:\\é.exe\r\n[工具 🚀]\r\nMail=C:\\mail.exe\r\n");
    EXPECT_EQ(File(), expected);
    EXPECT_EQ(files.files.at(kBackup), ansi);
    EXPECT_EQ(ini.GetVal("工具 🚀", "mail"), "C:\\mail.exe");

    // Unicode from then on, and a UTF-8 file stays UTF-8.
    ini.DeleteKey("Café", "A");
    EXPECT_EQ(File(), "\xFF\xFE" + Utf8ToUtf16Le("[Café]\r\nCrème=C:\\é.exe\r\n[工具 🚀]\r\nMail=C:\\mail.exe\r\n"));
    File() = "\xEF\xBB\xBF[Документы]\r\n";
    ini.Create("документы", "Отчёт", "C:\\o.doc");
    EXPECT_EQ(File(), "\xEF\xBB\xBF[Документы]\r\nОтчёт=C:\\o.doc\r\n");
}

TEST_F(CiniTest, AFailedSaveNamesTheFileAndLeavesItAsItWas) {
    File() = "[A]\r\n";
    files.readOnlyFiles.insert(kPath);
    try {
        ini.Create("A", "k", "v");
        FAIL() << "the save did not fail";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number(), kErrPermissionDenied);
        EXPECT_EQ(e.Description(), "Cannot save C:\\cat.ini. Permission denied");
    }
    EXPECT_EQ(File(), "[A]\r\n");
    EXPECT_FALSE(files.Exists(kBackup));
}

}  // namespace
}  // namespace lark::test
