#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "crash/CrashDumps.h"

namespace lark {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(CrashDumpsTest, NamesSortByTheMomentTheDumpWasMade) {
    EXPECT_EQ(DumpFileName(DumpTime{2024, 3, 9, 7, 5, 1, 42}, 4711), "larkspan-20240309-070501-042-4711.dmp");
    EXPECT_TRUE(IsDumpFileName("larkspan-20240309-070501-042-4711.dmp"));
    EXPECT_TRUE(IsDumpFileName("LARKSPAN-20240309-070501-042-4711.DMP"));
    for (const char* other : {"larkspan-2024.dmp", "larkspan-20240309-070501-042-.dmp", "notes.txt",
                              "larkspan-20240309-070501-042-4711.dmp.txt", "xlarkspan-20240309-070501-042-1.dmp"})
        EXPECT_FALSE(IsDumpFileName(other)) << other;
}

TEST(CrashDumpsTest, TheOldestGoSoThatTheNewOneMakesFive) {
    const std::vector<std::string> names = {
        "larkspan-20240102-000000-000-9.dmp",   "notes.txt",
        "larkspan-20231231-235959-999-12.dmp",  "larkspan-20240101-120000-000-3.dmp",
        "larkspan-20240105-000000-000-1.dmp",   "larkspan-20240104-000000-000-77.dmp",
        "larkspan-20240103-000000-000-100.dmp",
    };
    // Six dumps: the two oldest go, other files stay.
    EXPECT_THAT(DumpsToDelete(names),
                ElementsAre("larkspan-20231231-235959-999-12.dmp", "larkspan-20240101-120000-000-3.dmp"));
    EXPECT_THAT(DumpsToDelete({"larkspan-20240102-000000-000-9.dmp", "notes.txt"}), IsEmpty());
    EXPECT_THAT(DumpsToDelete({"larkspan-20240102-000000-000-9.dmp"}, 1), ElementsAre("larkspan-20240102-000000-000-9.dmp"));
}

}  // namespace
}  // namespace lark
