#pragma once
// The registry read through RegOpenKeyExW / RegQueryValueExW, for reading
// only, with text turned into the core's UTF-8.
#include "dialogs/SysInfo.h"

namespace lark::win {

class RegistryReader : public IRegistryReader {
public:
    bool Open(RegistryRoot root, const std::string& keyName, Key& key) override;
    bool Query(Key key, const std::string& valueName, uint32_t& type, std::string& buffer,
               uint32_t& size) override;
    void Close(Key key) override;
};

}  // namespace lark::win
