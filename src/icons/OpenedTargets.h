#pragma once
// The network targets the user has launched from the bar. Only these are
// opened to draw their own pictures; any other target on another machine
// shows its type's picture, so a catalogue someone else wrote (a shared or
// synced one) cannot make the bar reach a server, and hand it the user's
// credentials, before the user does. Kept between runs in a small text
// file beside the picture cache: UTF-8, one path a line.
#include <mutex>
#include <string>
#include <unordered_set>

#include "base/FileSystem.h"

namespace lark {

class OpenedTargets {
public:
    // file: where the record is kept; empty keeps it for this run only.
    OpenedTargets(IFileSystem& files, std::string file) : files_(files), file_(std::move(file)) {}

    // Reads the record; a missing or unreadable one is empty.
    void Load();
    // Any thread. Paths compare without regard to letter case.
    bool Contains(const std::string& target) const;
    // Remembers a launched target and saves the record when it is new;
    // true when it was new. A failed save is logged: the target counts for
    // this run.
    bool Add(const std::string& target);

private:
    IFileSystem& files_;
    std::string file_;
    mutable std::mutex lock_;
    std::unordered_set<std::string> folded_;
    std::string text_;  // the record as saved
};

}  // namespace lark
