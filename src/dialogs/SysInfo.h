#pragma once
// Finding and starting the platform's system-information program, with the
// registry reading it needs.
#include <cstdint>
#include <string>

#include "base/FileSystem.h"
#include "base/UiPorts.h"

namespace lark {

// Registry roots by their fixed handle values.
enum class RegistryRoot : uint32_t {
    CurrentUser = 0x80000001u,
    LocalMachine = 0x80000002u,
};

inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegDword = 4;

// Read access to the registry, shaped like the platform's calls so the
// reading rules can be driven by a fake.
class IRegistryReader {
public:
    using Key = uintptr_t;

    virtual ~IRegistryReader() = default;
    // Opens the key for reading only; false when it cannot be opened.
    virtual bool Open(RegistryRoot root, const std::string& keyName, Key& key) = 0;
    // Writes the value's bytes into the start of buffer (buffer's size is the
    // room there is), text as UTF-8 with a stored terminating NUL kept, and
    // sets type and the number of bytes written. False when the value is
    // missing or does not fit.
    virtual bool Query(Key key, const std::string& valueName, uint32_t& type, std::string& buffer,
                       uint32_t& size) = 0;
    virtual void Close(Key key) = 0;
};

// Starts a program with normal focus; throws RuntimeError when it cannot.
class IProgramStarter {
public:
    virtual ~IProgramStarter() = default;
    virtual void Start(const std::string& path) = 0;
};

inline constexpr size_t kRegistryValueRoom = 1024;

// Reads one value: REG_SZ as its text, REG_DWORD as its number in decimal;
// a value of another type leaves keyVal as it was. False (keyVal emptied)
// when the key or the value cannot be read; an empty value raises error 5.
bool GetKeyValue(IRegistryReader& reader, RegistryRoot root, const std::string& keyName,
                 const std::string& valueName, std::string& keyVal);

// Starts the program the registry names for system information, or tells
// the user it is unavailable; every failure ends in that one message.
void StartSysInfo(IRegistryReader& reader, IFileSystem& files, IProgramStarter& starter, IMessageBox& boxes,
                  const std::string& appTitle);

}  // namespace lark
