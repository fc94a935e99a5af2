#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/RuntimeError.h"
#include "startup/BarRequest.h"
#include "startup/CommandLine.h"

namespace lark::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using Kind = StartCommand::Kind;

StartCommand Parse(std::string_view line) { return ParseArguments(SplitCommandLine(line)); }

TEST(CommandLine, SplitsAsTheRunTimeDoes) {
    EXPECT_THAT(SplitCommandLine(""), ElementsAre(""));
    EXPECT_THAT(SplitCommandLine("\"C:\\Program Files\\larkspan.exe\"  /add  a.txt\t\"b c.txt\""),
                ElementsAre("C:\\Program Files\\larkspan.exe", "/add", "a.txt", "b c.txt"));
    // Backslashes escape quotes only; a quote opened mid-word groups the rest.
    EXPECT_THAT(SplitCommandLine("x.exe a\\\\b \\\"q\\\" \"a\\\\\\\"b\" C:\\x\\\\ pre\"fix c\"d \"\""),
                ElementsAre("x.exe", "a\\\\b", "\"q\"", "a\\\"b", "C:\\x\\\\", "prefix cd", ""));
    EXPECT_THAT(SplitCommandLine("x.exe \"say \"\"hi\"\"\" \"open"), ElementsAre("x.exe", "say \"hi\"", "open"));
    // The program's name ends at its closing quote, backslashes and all.
    EXPECT_THAT(SplitCommandLine("\"C:\\dir\\\" /show"), ElementsAre("C:\\dir\\", "/show"));
}

TEST(CommandLine, AddTakesEveryPathAndTheSection) {
    StartCommand add = Parse("larkspan.exe /add \"C:\\My Files\\a.txt\" D:\\b.lnk https://example.com/ /section Tools");
    EXPECT_EQ(add.kind, Kind::Add);
    EXPECT_THAT(add.paths, ElementsAre("C:\\My Files\\a.txt", "D:\\b.lnk", "https://example.com/"));
    EXPECT_EQ(add.section, "Tools");

    // Explorer's "Send to" quotes each file; a drive's root loses its
    // backslash to the quote and gets it back.
    add = Parse("larkspan.exe /ADD \"D:\\Docs\" \"C:\\\"");
    EXPECT_THAT(add.paths, ElementsAre("D:\\Docs", "C:\\"));
    EXPECT_EQ(add.section, std::nullopt);
    // Files dropped on the program come with no switch; the section may
    // come first; a section may be called like a switch.
    add = Parse("larkspan.exe /Section \"/Games\" a.txt");
    EXPECT_EQ(add.kind, Kind::Add);
    EXPECT_THAT(add.paths, ElementsAre("a.txt"));
    EXPECT_EQ(add.section, "/Games");
    EXPECT_THAT(Parse("larkspan.exe //server/share/x.txt").paths, ElementsAre("//server/share/x.txt"));
}

TEST(CommandLine, ShowTakesOneOptionalSection) {
    StartCommand show = Parse("larkspan.exe /show");
    EXPECT_EQ(show.kind, Kind::Show);
    EXPECT_EQ(show.section, std::nullopt);
    show = Parse("larkspan.exe /show \"My Games\"");
    EXPECT_EQ(show.kind, Kind::Show);
    EXPECT_EQ(show.section, "My Games");
    EXPECT_EQ(Parse("larkspan.exe").kind, Kind::None);
    EXPECT_EQ(Parse("larkspan.exe  \t").kind, Kind::None);
}

TEST(CommandLine, WhatCannotBeReadShowsTheUsageWithTheReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"x.exe /ad a.txt", "Unknown option: /ad"},
        {"x.exe /add", "/add needs at least one file, folder or web address."},
        {"x.exe /add \"\"", "/add needs at least one file, folder or web address."},
        {"x.exe /add a.txt /section", "/section needs the name of a section."},
        {"x.exe /section Tools", "/section goes with /add."},
        {"x.exe /show Tools /section Games", "/section goes with /add."},
        {"x.exe /show a b", "/show takes one section name."},
        {"x.exe a.txt /show", "Use /add or /show, not both."},
    };
    for (const auto& [line, problem] : cases) {
        const StartCommand command = Parse(line);
        EXPECT_EQ(command.kind, Kind::Usage) << line;
        EXPECT_EQ(command.problem, problem) << line;
        EXPECT_THAT(UsageText(command), HasSubstr(std::string(problem) + "\r\n\r\nlarkspan /add PATH...")) << line;
    }
    // Help asked for anywhere is help, with no complaint.
    for (const char* line : {"x.exe /?", "x.exe /bogus /?", "x.exe /add a.txt /?"}) {
        const StartCommand help = Parse(line);
        EXPECT_EQ(help.kind, Kind::Usage) << line;
        EXPECT_THAT(help.problem, IsEmpty()) << line;
        EXPECT_EQ(UsageText(help).rfind("larkspan /add PATH... [/section NAME]\r\n", 0), 0u) << line;
    }
}

// Four little-endian bytes.
std::string U32(uint32_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF), static_cast<char>((v >> 16) & 0xFF),
            static_cast<char>(v >> 24)};
}

TEST(BarRequestLayout, RequestsGoThereAndBackWhole) {
    const BarRequest requests[] = {
        {BarRequest::Action::Add, {"C:\\a.txt", "D:\\Zébra\\b.lnk", "https://example.com/"}, "Tools"},
        {BarRequest::Action::Add, {"C:\\a.txt"}, std::nullopt},
        {BarRequest::Action::Show, {}, "My Games"},
        {BarRequest::Action::Show, {}, std::nullopt},
        {BarRequest::Action::Show, {}, std::string()},
    };
    for (const BarRequest& request : requests) EXPECT_EQ(DecodeBarRequest(EncodeBarRequest(request)), request);
    EXPECT_EQ(EncodeBarRequest(requests[3]),
              U32(kBarRequestMagic) + U32(1) + U32(2) + U32(0) + U32(0));
}

TEST(BarRequestLayout, DamagedShortAndOversizedBytesAreRefused) {
    const std::string good = EncodeBarRequest({BarRequest::Action::Add, {"C:\\a.txt", "C:\\b.txt"}, "Tools"});
    // Every shorter prefix, and one byte more.
    for (size_t size = 0; size < good.size(); ++size)
        EXPECT_EQ(DecodeBarRequest(good.substr(0, size)), std::nullopt) << size;
    EXPECT_EQ(DecodeBarRequest(good + "x"), std::nullopt);

    const std::string header = U32(kBarRequestMagic) + U32(1);
    const std::string damaged[] = {
        U32(0x12345678) + U32(1) + U32(2) + U32(0) + U32(0),  // not ours
        U32(kBarRequestMagic) + U32(2) + U32(2) + U32(0) + U32(0),  // a later layout
        header + U32(3) + U32(0) + U32(0),                          // no such action
        header + U32(2) + U32(2) + U32(0),                          // flags not known
        header + U32(1) + U32(0) + U32(0),                          // nothing to add
        header + U32(2) + U32(0) + U32(1) + U32(1) + "x",           // a path to show
        header + U32(1) + U32(0) + U32(1) + U32(0),                 // an empty path
        header + U32(1) + U32(0) + U32(1) + U32(0xFFFFFFF0) + "x",  // a length beyond the bytes
        header + U32(1) + U32(0) + U32(0xFFFFFFFF) + U32(1) + "x",  // a count beyond the limit
        header + U32(1) + U32(0) + U32(1) + U32(3) + "a\0b",        // a NUL inside
        header + U32(1) + U32(0) + U32(1) + U32(2) + "\xC3(",       // not UTF-8
    };
    for (const std::string& bytes : damaged) EXPECT_EQ(DecodeBarRequest(bytes), std::nullopt) << bytes.size();

    // Beyond the size limit on either side.
    BarRequest huge{BarRequest::Action::Add, {std::string(kBarRequestLimit, 'a')}, std::nullopt};
    EXPECT_THROW(EncodeBarRequest(huge), RuntimeError);
    huge.paths.assign(kBarRequestPathLimit + 1, "C:\\a");
    EXPECT_THROW(EncodeBarRequest(huge), RuntimeError);
    std::string oversized = header + U32(1) + U32(0) + U32(1) + U32(kBarRequestLimit);
    oversized += std::string(kBarRequestLimit, 'a');
    EXPECT_EQ(DecodeBarRequest(oversized), std::nullopt);
}

}  // namespace
}  // namespace lark::test
