#pragma once
// The per-user list of programs Windows starts at logon, one command line
// per value name: HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run.
// It is the shell's list, not a setting of ours.
#include <optional>
#include <string>

namespace lark {

class IRunKey {
public:
    virtual ~IRunKey() = default;
    // The command line under a name, environment references expanded;
    // nullopt when there is none (or it is not text).
    virtual std::optional<std::string> Read(const std::string& name) = 0;
    // These throw RuntimeError when the registry refuses; removing a
    // missing value is no failure.
    virtual void Write(const std::string& name, const std::string& command) = 0;
    virtual void Remove(const std::string& name) = 0;
};

inline constexpr const char* kRunValueName = "Larkspan";

}  // namespace lark
