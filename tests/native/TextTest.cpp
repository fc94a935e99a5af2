#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Fakes.h"
#include "base/TextFile.h"
#include "base/Unicode.h"

namespace lark::test {
namespace {

using ::testing::ElementsAre;

const std::string kFffd = "\xEF\xBF\xBD";

std::string Utf16(std::initializer_list<char16_t> units) {
    std::string out;
    for (char16_t u : units) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

TEST(TextTest, ByteOrderMarksChooseTheDecoding) {
    FakeCodePage ansi;
    EXPECT_EQ(DecodeText("\xEF\xBB\xBF[\xE5\xB7\xA5]\r\n", ansi), "[工]\r\n");
    EXPECT_EQ(DecodeText("\xFF\xFE" + Utf16({'[', 0x5DE5, ']', '\r', '\n'}), ansi), "[工]\r\n");
    EXPECT_EQ(DecodeText("[\xE5]", ansi), "[å]");  // no mark: the code page
    EXPECT_EQ(DecodeText("\xFF\xFE", ansi), "");
    EXPECT_EQ(DecodeText("\xEF\xBB", ansi), "ï»");  // half a mark is text
}

TEST(TextTest, BrokenUnicodeBecomesReplacementCharactersNeverLostLines) {
    FakeCodePage ansi;
    // A lone high surrogate, a lone low one, a pair, and an odd last byte.
    const std::string utf16 = "\xFF\xFE" + Utf16({0xD83D, 'a', 0xDE80, 0xD83D, 0xDE80}) + "x";
    EXPECT_EQ(DecodeText(utf16, ansi), kFffd + "a" + kFffd + "🚀" + kFffd);
    // Overlong, surrogate, truncated and stray bytes in UTF-8.
    EXPECT_EQ(DecodeText("\xEF\xBB\xBF\xC0\xAF|\xED\xA0\x80|\xE5\xB7|\x80", ansi),
              kFffd + kFffd + "|" + kFffd + kFffd + kFffd + "|" + kFffd + "|" + kFffd);
}

TEST(TextTest, LinesSplitAtCrLfInTheFilesOwnUnits) {
    FakeCodePage ansi;
    // U+0D41 is the bytes 41 0D, then U+000A is 0A 00: a CR LF byte pair
    // that is no line end.
    const TextLines lines =
        SplitTextLines("\xFF\xFE" + Utf16({0x0D41, '\n', 'b', '\r', '\n', 'c', '\r', '\n'}), ansi);
    EXPECT_EQ(lines.encoding, TextEncoding::Utf16Le);
    EXPECT_THAT(lines.text, ElementsAre("\xE0\xB5\x81\nb", "c", ""));
    EXPECT_EQ(lines.raw[1], Utf16({'c'}));
    EXPECT_THAT(SplitTextLines("a\rb\r\n\r\n", ansi).text, ElementsAre("a\rb", "", ""));
    EXPECT_TRUE(SplitTextLines("", ansi).text.empty());
}

TEST(TextTest, TheCodePageHoldsANameOnlyExactly) {
    FakeCodePage ansi;
    EXPECT_EQ(EncodeLine("Café", TextEncoding::Ansi, ansi), std::optional<std::string>("Caf\xE9"));
    // A full-width "＝" has an ASCII look-alike that would split the line.
    EXPECT_EQ(EncodeLine("a＝b", TextEncoding::Ansi, ansi), std::nullopt);
    EXPECT_EQ(EncodeLine("🚀", TextEncoding::Ansi, ansi), std::nullopt);
    EXPECT_EQ(EncodeLine("🚀", TextEncoding::Utf16Le, ansi), Utf16({0xD83D, 0xDE80}));
    EXPECT_EQ(Utf16LeToUtf8(Utf8ToUtf16Le("工具 🚀 Ωμέγα")), "工具 🚀 Ωμέγα");
}

TEST(TextTest, LetterCaseIsIgnoredAsTheFileIgnoresIt) {
    EXPECT_TRUE(EqualsIgnoreCase("Notepad", "NOTEPAD"));
    EXPECT_TRUE(EqualsIgnoreCase("Crème Brûlée", "CRÈME BRÛLÉE"));
    EXPECT_TRUE(EqualsIgnoreCase("Документы", "документы"));
    EXPECT_TRUE(EqualsIgnoreCase("Ωμέγα", "ΩΜΈΓΑ"));
    EXPECT_TRUE(EqualsIgnoreCase("Łódź", "łÓDŹ"));
    EXPECT_FALSE(EqualsIgnoreCase("Notepad", "Notepad2"));
    EXPECT_FALSE(EqualsIgnoreCase("e", "é"));
}

TEST(TextTest, SearchFoldingDropsCaseAndAccents) {
    // Every accented letter of Latin-1 and Latin Extended-A lands on ASCII.
    for (char32_t c = 0xC0; c <= 0x17F; ++c) {
        if (c == 0xD7 || c == 0xF7) continue;  // × and ÷ are no letters
        std::string folded;
        AppendSearchFold(folded, c);
        ASSERT_FALSE(folded.empty()) << std::hex << static_cast<uint32_t>(c);
        for (char b : folded)
            EXPECT_TRUE(b >= 'a' && b <= 'z') << std::hex << static_cast<uint32_t>(c) << " -> " << folded;
    }
    EXPECT_EQ(FoldForSearch("Crème BRÛLÉE"), "creme brulee");
    EXPECT_EQ(FoldForSearch("Łódź Œuvre Straße Æsir Þór"), "lodz oeuvre strasse aesir thor");
    EXPECT_EQ(FoldForSearch("Cre\xCC\x80me"), "creme");  // a combining grave accent
    EXPECT_EQ(FoldForSearch("Ωμέγα 工具 ×"), FoldCase("Ωμέγα 工具 ×"));
}

}  // namespace
}  // namespace lark::test
