#pragma once
// The rule that gives a program button its picture key.
#include <string>

namespace lark {

struct ImageChoice {
    std::string key;
    // True when the key stands for the target's own icons, which are to be
    // asked for (the folder picture and cached pictures need no file access).
    bool extracted = false;
};

class IPictureRule {
public:
    virtual ~IPictureRule() = default;
    // Touches no file and asks for nothing; never raises: a failing step
    // inside the rule is skipped.
    virtual ImageChoice ChooseButtonImage(const std::string& target) = 0;
    // The key of the target's own icons, whatever the rule would choose.
    virtual std::string OwnPictureKey(const std::string& target) = 0;
};

}  // namespace lark
