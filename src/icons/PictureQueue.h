#pragma once
// The targets waiting for their pictures, in the order they are to be
// extracted: as asked, except that the section on screen goes first.
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace lark {

struct PictureJob {
    std::string target;
    std::string key;
};

class PictureQueue {
public:
    void Push(PictureJob job) { jobs_.push_back(std::move(job)); }
    std::optional<PictureJob> Pop();
    // The jobs of these keys move to the front, in the order given; keys
    // not waiting are passed over.
    void Prioritize(const std::vector<std::string>& keys);
    void Clear() { jobs_.clear(); }
    bool Empty() const { return jobs_.empty(); }
    size_t Size() const { return jobs_.size(); }

private:
    std::deque<PictureJob> jobs_;
};

// Targets on another machine wait in a queue of their own: one that does
// not answer must not hold up the pictures of local programs.
bool IsNetworkPath(const std::string& target);

}  // namespace lark
