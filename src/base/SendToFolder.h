#pragma once
// The user's Send To folder: each shortcut there is an entry of Explorer's
// "Send to" menu, which starts its target with the chosen files after its
// arguments. It is the shell's folder, not a setting of ours.
#include <optional>
#include <string>

#include "base/Shortcuts.h"

namespace lark {

class ISendToFolder {
public:
    virtual ~ISendToFolder() = default;
    // What the shortcut of this name (".lnk" added) starts; nullopt when
    // there is none or it cannot be read.
    virtual std::optional<LinkTarget> Read(const std::string& name) = 0;
    // These throw RuntimeError when the shortcut cannot be written or
    // removed; removing a missing one is no failure.
    virtual void Write(const std::string& name, const LinkTarget& link) = 0;
    virtual void Remove(const std::string& name) = 0;
};

inline constexpr const char* kSendToName = "Larkspan";
inline constexpr const char* kSendToArguments = "/add";

}  // namespace lark
