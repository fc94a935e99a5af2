#pragma once
// The rule that gives a program button its picture key.
#include <cstdint>
#include <string>

namespace lark {

struct ImageChoice {
    std::string key;
    // True when the key stands for the target's own icons (the folder
    // picture and cached pictures need no file access).
    bool extracted = false;
};

class IPictureRule {
public:
    virtual ~IPictureRule() = default;
    // Never raises: a failing step inside the rule is skipped.
    virtual ImageChoice ChooseButtonImage(const std::string& target, int16_t sectionNumber,
                                          int16_t buttonNumber) = 0;
};

}  // namespace lark
