#pragma once
// What a drag brings to the bar, as the bar's drop target reads it.
#include <string>
#include <vector>

namespace lark {

struct DroppedFile {
    std::string path;
    bool isFolder = false;
};

struct DroppedItems {
    // Files and folders (Explorer's drags), in the drag's order.
    std::vector<DroppedFile> files;
    // A browser's address list, one per line, when no files came.
    std::string urls;
    // The page's title, from the drag's file descriptor ("Title.url").
    std::string urlTitle;
    // Plain text, looked at when neither of the above came.
    std::string text;
};

// A program button to be made: its name (the catalogue's key) and what it
// opens.
struct NewEntry {
    std::string name;
    std::string target;
    std::string arguments;
};

}  // namespace lark
