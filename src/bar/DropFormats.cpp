#include "bar/DropFormats.h"

#include <algorithm>
#include <vector>

#include "base/Unicode.h"

namespace lark {
namespace {

uint32_t U32At(std::string_view bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

// UTF-16 text up to its first NUL (or its end); an odd last byte is no character.
std::string WideText(std::string_view bytes) {
    size_t units = bytes.size() / 2;
    for (size_t i = 0; i < units; ++i) {
        if (bytes[2 * i] == 0 && bytes[2 * i + 1] == 0) {
            units = i;
            break;
        }
    }
    return Utf16LeToUtf8(bytes.substr(0, units * 2));
}

std::string AnsiText(std::string_view bytes, IAnsiCodePage& ansi) {
    return ansi.ToUtf8(bytes.substr(0, bytes.find('\0')));
}

// DROPFILES: pFiles, pt, fNC, fWide (20 bytes), then at pFiles the paths,
// each ended by a NUL, the list by an empty one.
std::vector<DroppedFile> FileList(std::string_view bytes, IAnsiCodePage& ansi) {
    constexpr size_t kHeader = 20;
    std::vector<DroppedFile> files;
    if (bytes.size() < kHeader) return files;
    const uint32_t start = U32At(bytes, 0);
    const bool wide = U32At(bytes, 16) != 0;
    if (start < kHeader || start > bytes.size()) return files;
    std::string_view list = bytes.substr(start);
    const size_t unit = wide ? 2 : 1;
    while (list.size() >= unit) {
        size_t end = 0;
        while (end + unit <= list.size() && !(list[end] == 0 && (unit == 1 || list[end + 1] == 0))) end += unit;
        if (end == 0) break;  // the empty name that ends the list
        const std::string_view name = list.substr(0, end);
        files.push_back(DroppedFile{wide ? Utf16LeToUtf8(name) : ansi.ToUtf8(name), false});
        list.remove_prefix(std::min(list.size(), end + unit));
    }
    return files;
}

// FILEGROUPDESCRIPTORW: cItems, then FILEDESCRIPTORWs of 592 bytes, each
// holding its file name (260 UTF-16 units) 72 bytes in.
std::string DescriptorTitle(std::string_view bytes) {
    constexpr size_t kName = 4 + 72, kNameBytes = 260 * 2;
    if (bytes.size() < kName + kNameBytes || U32At(bytes, 0) == 0) return {};
    return WideText(bytes.substr(kName, kNameBytes));
}

}  // namespace

DragContents ReadDragFormats(const std::function<std::optional<std::string>(DragFormat)>& offered,
                             uint32_t ownProcess, IAnsiCodePage& ansi) {
    DragContents contents;
    if (const std::optional<std::string> bytes = offered(DragFormat::Button)) {
        if (bytes->size() >= 8 && U32At(*bytes, 0) == ownProcess)
            contents.button = ButtonDrag{static_cast<int32_t>(U32At(*bytes, 4)), bytes->substr(8)};
        return contents;
    }
    if (const std::optional<std::string> bytes = offered(DragFormat::Files)) {
        contents.items.files = FileList(*bytes, ansi);
        if (!contents.items.files.empty()) return contents;
    }
    if (const std::optional<std::string> url = offered(DragFormat::Url)) {
        contents.items.urls = WideText(*url);
    } else if (const std::optional<std::string> ansiUrl = offered(DragFormat::AnsiUrl)) {
        contents.items.urls = AnsiText(*ansiUrl, ansi);
    }
    if (!contents.items.urls.empty()) {
        if (const std::optional<std::string> descriptor = offered(DragFormat::Descriptor))
            contents.items.urlTitle = DescriptorTitle(*descriptor);
        return contents;
    }
    if (const std::optional<std::string> text = offered(DragFormat::Text)) contents.items.text = WideText(*text);
    return contents;
}

std::string ButtonDragBytes(uint32_t process, const ButtonDrag& drag) {
    std::string bytes;
    const auto toolbar = static_cast<uint32_t>(drag.toolbar);
    for (uint32_t value : {process, toolbar})
        for (int i = 0; i < 4; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes + drag.key;
}

}  // namespace lark
