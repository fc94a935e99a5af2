#include "dialogs/SysInfo.h"

#include "base/RuntimeError.h"
#include "base/Texts.h"

namespace lark {
namespace {

// Closes an opened key on every way out, errors included.
class OpenKey {
public:
    OpenKey(IRegistryReader& reader, IRegistryReader::Key key) : reader_(reader), key_(key) {}
    ~OpenKey() { reader_.Close(key_); }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

private:
    IRegistryReader& reader_;
    IRegistryReader::Key key_;
};

// The value as stored, less one terminating NUL. An empty value has no last
// character to look at, which is an invalid call.
std::string CutAtSize(const std::string& buffer, uint32_t size) {
    if (size == 0) Raise(kErrInvalidCall);
    const size_t length = size < buffer.size() ? size : buffer.size();
    return buffer.substr(0, buffer[length - 1] == '\0' ? length - 1 : length);
}

// The cut bytes are the DWORD's little-endian bytes, its zero top byte
// possibly dropped with the cut; read as an unsigned number, not as signed
// hex digits, so every value from 0 to 4294967295 comes out as itself.
std::string DwordText(const std::string& bytes) {
    if (bytes.size() > 4) Raise(kErrOverflow);
    uint32_t value = 0;
    for (size_t i = bytes.size(); i-- > 0;) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return std::to_string(value);
}

}  // namespace

bool GetKeyValue(IRegistryReader& reader, RegistryRoot root, const std::string& keyName,
                 const std::string& valueName, std::string& keyVal) {
    IRegistryReader::Key key{};
    if (!reader.Open(root, keyName, key)) {
        keyVal.clear();
        return false;
    }
    const OpenKey closer(reader, key);
    std::string buffer(kRegistryValueRoom, '\0');
    uint32_t type = 0;
    uint32_t size = 0;
    if (!reader.Query(key, valueName, type, buffer, size)) {
        keyVal.clear();
        return false;
    }
    const std::string value = CutAtSize(buffer, size);
    if (type == kRegSz) keyVal = value;
    else if (type == kRegDword) keyVal = DwordText(value);
    return true;
}

void StartSysInfo(IRegistryReader& reader, IFileSystem& files, IProgramStarter& starter, IMessageBox& boxes,
                  const std::string& appTitle) {
    try {
        std::string path;
        if (GetKeyValue(reader, RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH",
                        path)) {
            // A value of another type leaves nothing to start.
            if (path.empty()) Raise(kErrInvalidCall);
            starter.Start(path);
            return;
        }
        std::string folder;
        if (GetKeyValue(reader, RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO",
                        folder)) {
            const std::string program = folder + "\\MSINFO32.EXE";
            if (files.Exists(program)) {
                starter.Start(program);
                return;
            }
        }
    } catch (...) {
        // Every failure ends in the one message below.
    }
    boxes.Show(Text(IDS_SYSINFO_UNAVAILABLE), appTitle, BoxIcon::None, BoxButtons::Ok);
}

}  // namespace lark
