// libFuzzer target: the formats another program's drag offers the bar (its
// own button format, a file list, addresses, a page title, text), read and
// made into catalogue entries, with an internet shortcut's bytes among the
// files. Nothing may crash or hang, and what comes out is what a catalogue
// line can hold.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>  // the fakes use these without including them
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "Require.h"
#include "../native/Fakes.h"
#include "bar/DropFormats.h"
#include "bar/DropList.h"
#include "base/Unicode.h"

namespace {

using namespace lark;
using namespace lark::fuzz;
using namespace lark::test;

constexpr uint32_t kOwnProcess = 0x1234;

class Links : public IShortcutReader {
public:
    LinkTarget ReadShortcut(const std::string& path) override {
        if (path.size() % 3 == 0) Raise(kErrFileNotFound);
        return LinkTarget{path + "-target", path.size() % 2 ? "" : "/args"};
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte says which formats are offered; the rest is split
    // between them at 0xFF 0xFE 0xFD marks.
    if (size == 0) return 0;
    const uint8_t offeredMask = data[0];
    std::vector<std::string> parts(1);
    for (size_t i = 1; i < size; ++i) {
        if (i + 2 < size && data[i] == 0xFF && data[i + 1] == 0xFE && data[i + 2] == 0xFD) {
            parts.emplace_back();
            i += 2;
            continue;
        }
        parts.back() += static_cast<char>(data[i]);
    }
    std::set<DragFormat> asked;
    const auto offered = [&](DragFormat format) -> std::optional<std::string> {
        Require(asked.insert(format).second, "a format asked for twice");
        const auto index = static_cast<size_t>(format);
        if (!(offeredMask & (1u << index))) return std::nullopt;
        return index < parts.size() ? parts[index] : std::string();
    };
    FakeCodePage ansi;
    const DragContents contents = ReadDragFormats(offered, kOwnProcess, ansi);

    if (contents.button) {
        Require(contents.items.files.empty() && contents.items.urls.empty() && contents.items.text.empty(),
                "a button drag brought more");
        // It reads back from its own bytes.
        const std::string bytes = ButtonDragBytes(kOwnProcess, *contents.button);
        const DragContents again = ReadDragFormats(
            [&](DragFormat f) { return f == DragFormat::Button ? std::optional<std::string>(bytes) : std::nullopt; },
            kOwnProcess, ansi);
        Require(again.button && again.button->key == contents.button->key &&
                    again.button->toolbar == contents.button->toolbar,
                "a button drag does not read back");
    }
    for (const DroppedFile& file : contents.items.files) {
        Require(!file.path.empty(), "an empty path in the file list");
        Require(file.path.find('\0') == std::string::npos, "a NUL inside a dropped path");
        Require(SanitizeUtf8(file.path) == file.path, "a dropped path is not UTF-8");
    }
    for (const std::string* text : {&contents.items.urls, &contents.items.urlTitle, &contents.items.text}) {
        Require(text->find('\0') == std::string::npos, "a NUL inside dropped text");
        Require(SanitizeUtf8(*text) == *text, "dropped text is not UTF-8");
    }

    // Made into entries: every .url file's bytes are the fuzz input's last part.
    FakeFileSystem files;
    for (const DroppedFile& file : contents.items.files) files.files[file.path] = parts.back();
    Links links;
    for (const NewEntry& entry : DroppedEntries(contents.items, links, files, ansi)) {
        Require(entry.name.find('=') == std::string::npos, "a name the loader would split");
        Require(entry.name.empty() || entry.name.front() != '[', "a name that reads as a header");
        Require(entry.name.find("\r\n") == std::string::npos && entry.target.find("\r\n") == std::string::npos,
                "an entry that breaks its line");
    }
    return 0;
}
