#include "icons/OpenedTargets.h"

#include "base/Log.h"
#include "base/Unicode.h"

namespace lark {

void OpenedTargets::Load() {
    std::string bytes;
    if (file_.empty() || !Guard([&] {
            if (files_.Exists(file_)) bytes = files_.ReadBytes(file_);
        }))
        bytes.clear();
    std::lock_guard<std::mutex> held(lock_);
    folded_.clear();
    text_.clear();
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        start = end + 1;
        if (line.empty() || !folded_.insert(FoldCase(line)).second) continue;
        text_ += line + "\r\n";
    }
}

bool OpenedTargets::Contains(const std::string& target) const {
    const std::string folded = FoldCase(target);
    std::lock_guard<std::mutex> held(lock_);
    return folded_.count(folded) != 0;
}

bool OpenedTargets::Add(const std::string& target) {
    if (target.empty() || target.find_first_of("\r\n") != std::string::npos) return false;
    std::string text;
    {
        std::lock_guard<std::mutex> held(lock_);
        if (!folded_.insert(FoldCase(target)).second) return false;
        text_ += target + "\r\n";
        text = text_;
    }
    if (!file_.empty()) {
        LoggedGuard("Saving the launched network targets", [&] {
            const size_t slash = file_.find_last_of('\\');
            if (slash != std::string::npos) files_.CreateFolder(file_.substr(0, slash));
            files_.SaveAtomically(file_, text, "");
        });
    }
    return true;
}

}  // namespace lark
