#include <gtest/gtest.h>

#include "Fakes.h"

namespace lark::test {
namespace {

class ShowErrorTest : public ::testing::Test {
protected:
    FakeMessageBox box;
    FakePointer pointer;
    ErrorReporter reporter{box, pointer};
};

TEST_F(ShowErrorTest, NothingPendingAndNoMessageShowsNothingButResetsThePointer) {
    pointer.busy = true;
    reporter.ShowError("", std::nullopt);
    EXPECT_TRUE(box.shown.empty());
    EXPECT_FALSE(pointer.busy);
}

TEST_F(ShowErrorTest, AMessageAloneIsShownAsItIs) {
    reporter.ShowError("Error hiding the AutoHide appbar.", std::nullopt);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Error hiding the AutoHide appbar.");
    EXPECT_EQ(box.shown[0].title, "Brindlewick Larkspan");
    EXPECT_EQ(box.shown[0].icon, BoxIcon::Critical);
    EXPECT_EQ(box.shown[0].buttons, BoxButtons::Ok);
}

TEST_F(ShowErrorTest, AMessageWithAnErrorAddsDescriptionAndNumber) {
    pointer.busy = true;
    reporter.ShowError("Error setting appbar position.", RuntimeError(kErrObjectNotSet));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text,
              "Error setting appbar position.\r\n\r\nObject variable or With block variable not set (91).");
    EXPECT_FALSE(pointer.busy);
}

TEST_F(ShowErrorTest, TheLoadersMessageCarriesTheNumberTwice) {
    const RuntimeError missing(kErrFileNotFound);
    reporter.ShowError(std::to_string(missing.Number()) + ":" + missing.Description(), missing);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "53:File not found\r\n\r\nFile not found (53).");
}

TEST_F(ShowErrorTest, AnErrorWithoutMessageShowsDescriptionAndNumber) {
    reporter.ShowError("", RuntimeError(kErrPathFileAccess));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Path/File access error (75).");
}

TEST_F(ShowErrorTest, OutOfMemoryIsDroppedOnlyWhenThereIsAMessage) {
    reporter.ShowError("Error dimensioning floating form.", RuntimeError(kErrOutOfMemory));
    EXPECT_TRUE(box.shown.empty());
    reporter.ShowError("", RuntimeError(kErrOutOfMemory));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Out of memory (7).");
}

TEST(CurrentError, MapsWhatIsInFlight) {
    auto caught = [](auto&& f) {
        try {
            f();
        } catch (...) {
            return CurrentError();
        }
        return RuntimeError(0, "");
    };
    EXPECT_EQ(caught([] { Raise(kErrAlreadyLoaded); }).Number(), kErrAlreadyLoaded);
    EXPECT_EQ(caught([] { throw std::bad_alloc(); }).Number(), kErrOutOfMemory);
    EXPECT_EQ(caught([] { throw std::out_of_range("x"); }).Number(), kErrSubscript);
    EXPECT_EQ(caught([] { throw 42; }).Number(), kErrInvalidCall);
}

}  // namespace
}  // namespace lark::test
