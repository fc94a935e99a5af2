#pragma once
// What a drag carries, read from the bytes of the formats it offers. Every
// format is another program's data: nothing in it is trusted, every length
// and offset is checked against the bytes there are.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/DropData.h"
#include "base/TextFile.h"

namespace lark {

enum class DragFormat {
    Button,      // "Larkspan Program Button": process id, toolbar index, key
    Files,       // CF_HDROP: a DROPFILES header and its list of paths
    Url,         // "UniformResourceLocatorW"
    AnsiUrl,     // "UniformResourceLocator"
    Descriptor,  // "FileGroupDescriptorW": a browser's "Title.url"
    Text,        // CF_UNICODETEXT
};

// A program button of this program's bar, dragged.
struct ButtonDrag {
    int32_t toolbar = 0;
    std::string key;
};

struct DragContents {
    std::optional<ButtonDrag> button;  // a button of this very process
    DroppedItems items;                // otherwise; files with isFolder unset
};

// offered answers the bytes of a format, nullopt when the drag has none;
// formats are asked for only as far as they are needed. A button drag
// counts only when it names ownProcess: another program's toolbar indices
// mean nothing here.
DragContents ReadDragFormats(const std::function<std::optional<std::string>(DragFormat)>& offered,
                             uint32_t ownProcess, IAnsiCodePage& ansi);

// The bytes of a button drag.
std::string ButtonDragBytes(uint32_t process, const ButtonDrag& drag);

}  // namespace lark
