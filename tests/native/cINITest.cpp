#include <gtest/gtest.h>

#include "Fakes.h"

namespace lark::test {
namespace {

class CiniTest : public ::testing::Test {
protected:
    FakeProfileFile profile;
    cINI ini{profile};
};

TEST_F(CiniTest, AZeroCountReadsAsEmptyWhateverTheBufferHolds) {
    profile.stringBuffer = std::string("stale\0", 6);
    profile.stringCount = 0;
    EXPECT_EQ(ini.GetVal("S", "K"), "");
    profile.sectionBuffer = std::string("a=1\0\0", 5);
    profile.sectionCount = 0;
    EXPECT_EQ(ini.GetSection("S"), "");
}

TEST_F(CiniTest, ValuesAreCutAtTheFirstNul) {
    profile.stringBuffer = std::string("value\0junk", 10);
    profile.stringCount = 5;
    EXPECT_EQ(ini.GetVal("S", "K"), "value");
}

TEST_F(CiniTest, SectionsKeepEachEntrysNulButNotTheClosingOne) {
    profile.sectionBuffer = std::string("a=1\0b=2\0\0junk", 13);
    profile.sectionCount = 8;
    EXPECT_EQ(ini.GetSection("S"), std::string("a=1\0b=2\0", 8));
}

TEST_F(CiniTest, WritesGoToTheBoundPathAndAnswerFalse) {
    ini.INIPath("C:\\cat.ini");
    EXPECT_FALSE(ini.Create("S", "K", "V"));
    EXPECT_FALSE(ini.DeleteKey("S", "K"));
    EXPECT_FALSE(ini.DeleteValue("S", "K"));
    EXPECT_FALSE(ini.DeleteSection("S"));
    ASSERT_EQ(profile.writes.size(), 4u);
    EXPECT_EQ(profile.writes[0].value, "V");
    EXPECT_EQ(profile.writes[1].key, "K");
    EXPECT_FALSE(profile.writes[1].value.has_value());
    EXPECT_EQ(profile.writes[2].value, "");
    EXPECT_FALSE(profile.writes[3].key.has_value());
    for (const auto& w : profile.writes) EXPECT_EQ(w.path, "C:\\cat.ini");
}

}  // namespace
}  // namespace lark::test
