// libFuzzer target: arbitrary bytes as catalogue file content, through the
// decoders, the editor, the format's pieces and through LoadCatalogue into
// two in-memory bars, and the check made before a reload, which must agree
// with the load.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>  // the fakes use these without including them
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "../native/FakeBar.h"
#include "Require.h"
#include "../native/Fakes.h"
#include "base/ErrorReporter.h"
#include "base/IniDocument.h"
#include "base/RuntimeError.h"
#include "base/TextFile.h"
#include "base/Unicode.h"
#include "catalogue/CatalogueFormat.h"
#include "base/BarWindowView.h"
#include "catalogue/CatalogueLoader.h"

namespace {

using namespace lark;
using namespace lark::test;
using namespace lark::fuzz;

void CheckLines(std::string_view content, size_t maxLines) {
    const std::vector<std::string_view> lines = SplitCatalogueLines(content, maxLines);
    Require(lines.size() <= maxLines, "more lines than the cap");
    Require(content.empty() == lines.empty(), "empty content and no lines go together");
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        Require(lines[i].find("\r\n") == std::string_view::npos, "a line holds CR LF");
        if (i > 0) joined += "\r\n";
        joined += lines[i];
    }
    Require(content.substr(0, joined.size()) == joined, "rejoined lines are not a prefix of the content");
    // Below the cap nothing is dropped.
    if (lines.size() < maxLines) Require(joined == content, "lines below the cap lose content");
}

void CheckLine(std::string_view line) {
    const bool header = line.size() >= 2 && line.front() == '[' && line.back() == ']';
    Require(IsSectionHeader(line) == header, "header test");
    if (header) {
        const std::string_view name = SectionName(line);
        Require(name.size() == line.size() - 2 && line.substr(1, name.size()) == name, "section name");
    }

    EntryLine entry;
    const bool split = SplitEntry(line, entry);
    Require(split == (line.find('=') != std::string_view::npos), "entry split needs an equals sign");
    if (split) {
        Require(entry.key.find('=') == std::string_view::npos, "key holds an equals sign");
        Require(std::string(entry.key) + "=" + std::string(entry.value) == line, "key = value is not the line");
    }
}

void CheckValue(std::string_view value) {
    const bool unclosed = !value.empty() && value.front() == '"' && value.find('"', 1) == std::string_view::npos;
    EntryValue parsed;
    try {
        parsed = ParseEntryValue(value);
    } catch (const RuntimeError& e) {
        Require(e.Number() == kErrInvalidCall, "value error is not number 5");
        Require(unclosed, "value error without an unclosed quote");
        return;
    } catch (...) {
        Broken("value parse threw something else");
    }
    Require(!unclosed, "an unclosed quote parsed");
    if (parsed.arguments.empty()) {
        Require(parsed.target == value, "a value without arguments is not its own target");
        return;
    }
    Require(value.front() == '"', "arguments without a quote");
    Require(parsed.arguments.front() != ' ' && parsed.arguments.back() != ' ', "arguments not trimmed");
    const std::string_view target = value.substr(1, parsed.target.size());
    Require(target == parsed.target, "target is not the quoted text");
    Require(target.find('"') == std::string_view::npos, "target runs past the closing quote");
    const std::string_view rest = value.substr(parsed.target.size() + 2);
    Require(value[parsed.target.size() + 1] == '"', "no closing quote after the target");
    Require(rest.find(parsed.arguments) != std::string_view::npos, "arguments are not from after the quote");
}

// The decoders give well-formed UTF-8 for any bytes, and the editor gives
// back every byte it did not change.
void CheckText(const std::string& content) {
    FakeCodePage ansi;
    const std::string text = DecodeText(content, ansi);
    Require(SanitizeUtf8(text) == text, "decoded text is not well-formed UTF-8");
    Require(Utf16LeToUtf8(Utf8ToUtf16Le(text)) == text, "UTF-16 round trip changed the text");

    IniDocument document = IniDocument::Parse(content, ansi);
    Require(document.Serialize(ansi) == content ||
                (DetectEncoding(content) == TextEncoding::Utf16Le && content.size() % 2 != 0),
            "an unchanged document is not its bytes");
    const char letter = content.size() > 2 ? static_cast<char>('a' + static_cast<unsigned char>(content[1]) % 26) : 'k';
    const std::string key(1, letter);
    document.Set("Fuzz", key, "v");
    document.DeleteKey("Other", "x");
    const std::string saved = document.Serialize(ansi);
    const IniDocument again = IniDocument::Parse(saved, ansi);
    Require(again.Value("Fuzz", key) == std::optional<std::string>("v"), "a set value does not read back");
    Require(again.Encoding() == document.Encoding(), "the written form is not the one reported");
}

// What a window shows, by tab: the name, and each button's name and target.
std::vector<std::string> Shown(FakeBar& bar) {
    std::vector<std::string> out;
    for (int32_t tab = 1; tab <= bar.tabs.TabCount(); ++tab) {
        const std::string name = bar.tabs.TabKey(tab);
        out.push_back("[" + name + "]");
        for (int32_t i : bar.ToolbarIndices()) {
            if (bar.ToolbarTag(i) != name || !bar.ToolbarVisible(i)) continue;
            for (const std::string& key : bar.ButtonKeys(i))
                out.push_back(bar.GetButtonToolTip(i, key) + "=" + bar.GetButtonTag(i, key).target);
        }
    }
    return out;
}

void CheckLoad(const std::string& content) {
    const std::string path = "C:\\fuzz\\zentrol.ini";
    FakeBar dock, floating;
    BarModel model;
    BarWindowView dockView(dock), floatingView(floating);
    model.Attach(dockView);
    model.Attach(floatingView);
    // Only the end of a load shows element 0 again.
    dock.SetToolbarVisible(0, false);
    FakeFileSystem files;
    FakeCodePage codePage;
    files.files[path] = content;
    FakeProgress progress;
    FakeEvents events;
    FakePictures pictures;
    pictures.cached = {"EXE", "LNK"};
    pictures.withIcons = {"a.exe", "b.bat"};
    FakeMessageBox box;
    FakePointer pointer;
    ErrorReporter errors(box, pointer);
    LoadCatalogue(CatalogueLoad{model, files, codePage, progress, events, pictures, errors, 1}, path);

    // The check made before a reload from outside stops where the load does.
    FakePictures rule;
    rule.cached = pictures.cached;
    rule.withIcons = pictures.withIcons;
    const auto quiet = [&](const std::string& target) { return !rule.ChooseButtonImage(target).extracted; };
    const std::optional<CatalogueFault> fault = CheckCatalogue(content, codePage, quiet);
    if (!box.shown.empty()) Require(fault.has_value(), "a load that stopped passed the check");
    else Require(!fault || fault->kind == CatalogueFaultKind::CutCharacter, "the check failed a file that loads whole");

    Require(dock.tabs.Names() == floating.tabs.Names(), "bars differ in tabs");
    Require(dock.ToolbarIndices() == floating.ToolbarIndices(), "bars differ in toolbars");
    for (int32_t i : dock.ToolbarIndices()) {
        Require(dock.ToolbarTag(i) == floating.ToolbarTag(i), "bars differ in a toolbar tag");
        Require(dock.ButtonKeys(i) == floating.ButtonKeys(i), "bars differ in button keys");
        const std::string suffix = std::to_string(i);
        for (const std::string& key : dock.ButtonKeys(i)) {
            Require(key.size() >= suffix.size() && key.compare(key.size() - suffix.size(), suffix.size(), suffix) == 0,
                    "button key does not end in its toolbar index");
            Require(dock.GetButtonToolTip(i, key) + suffix == key, "tooltip is not the entry key");
            Require(floating.GetButtonTag(i, key).target == dock.GetButtonTag(i, key).target, "targets differ");
        }
    }

    const std::string text = DecodeText(content, codePage);
    const std::vector<std::string_view> lines = SplitCatalogueLines(text);
    std::vector<std::string> headers;
    for (std::string_view line : lines)
        if (IsSectionHeader(line)) headers.emplace_back(SectionName(line));

    const int32_t tabs = dock.tabs.TabCount();
    Require(static_cast<size_t>(tabs) <= headers.size(), "more tabs than headers");
    for (int32_t k = 0; k < tabs; ++k) {
        Require(dock.tabs.TabKey(k + 1) == headers[static_cast<size_t>(k)], "tab is not its header");
        Require(dock.ToolbarTag(k) == headers[static_cast<size_t>(k)], "toolbar tag is not its header");
    }
    Require(dock.ToolbarIndices().size() == static_cast<size_t>(tabs > 0 ? tabs : 1), "toolbar per tab");
    Require(box.shown.size() <= 1, "more than one error report");
    if (box.shown.empty()) Require(static_cast<size_t>(tabs) == headers.size(), "a header lost without a report");
    else
        Require(box.shown[0].text.rfind("5:", 0) == 0 || box.shown[0].text.rfind("35602:", 0) == 0,
                "reported an error other than a broken quote or a duplicate key");

    if (lines.empty()) {
        Require(progress.unloads == 0 && !dock.ToolbarVisible(0), "an empty file still finished");
    } else {
        Require(progress.unloads == 1, "progress window not unloaded");
        Require(dock.ToolbarVisible(0) && floating.ToolbarVisible(0), "toolbar 0 not visible");
        Require(progress.max == static_cast<int32_t>(lines.size()) - 1, "progress maximum");
        Require(progress.values.size() <= lines.size(), "more progress steps than lines");
        if (box.shown.empty()) Require(progress.values.size() == lines.size(), "lines skipped without a report");
    }

    // The same file taken by difference into a bar that showed another
    // catalogue shows, section by section, what the load shows.
    BarModel live;
    FakeBar liveWindow;
    BarWindowView liveView(liveWindow);
    live.Attach(liveView);
    const std::string before = "[Tools]\r\nNotepad=C:\\n.exe\r\n[Web]\r\nHome=http://x/\r\n[]\r\n";
    files.files[path] = before;
    LoadCatalogue(CatalogueLoad{live, files, codePage, progress, events, pictures, errors, 1}, path);
    live.Take(model);
    for (int32_t tab = 1; tab <= live.SectionCount(); ++tab) {
        live.ShowSection(tab);
        model.ShowSection(tab);
        Require(Shown(liveWindow) == Shown(dock), "a reload shows another bar than a load");
    }
    Require(live.SectionCount() == model.SectionCount(), "a reload holds another number of sections");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);

    CheckLines(content, kMaxCatalogueLines);
    // Inputs never reach 32501 lines; a small cap derived from the input
    // exercises the cut all the same.
    CheckLines(content, size == 0 ? 1 : 1 + data[0] % 8);

    for (std::string_view line : SplitCatalogueLines(content)) {
        CheckLine(line);
        CheckValue(line);
        EntryLine entry;
        if (SplitEntry(line, entry)) CheckValue(entry.value);
    }
    CheckText(content);
    CheckLoad(content);
    return 0;
}
