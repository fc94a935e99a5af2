#pragma once
// The targets waiting for their pictures, in the order they are to be
// extracted: as asked, except that the section on screen goes first.
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace lark {

struct PictureJob {
    std::string target;
    std::string key;
    // On another machine: not opened until the user has launched it.
    bool network = false;
};

class PictureQueue {
public:
    // A job already waiting under the same key for the same target is not
    // asked twice.
    void Push(PictureJob job);
    std::optional<PictureJob> Pop();
    // The jobs of these keys move to the front, in the order given; keys
    // not waiting are passed over.
    void Prioritize(const std::vector<std::string>& keys);
    void Clear();
    bool Empty() const { return jobs_.empty(); }
    size_t Size() const { return jobs_.size(); }

private:
    static std::string Waiting(const PictureJob& job);

    std::deque<PictureJob> jobs_;
    std::unordered_set<std::string> waiting_;  // key and target of each job in jobs_
};

// Targets on another machine wait in a queue of their own: one that does
// not answer must not hold up the pictures of local programs. UNC paths
// (DFS namespaces among them) are; a drive-letter path is when remoteDrive
// says its drive is a mapped network drive.
bool IsNetworkPath(const std::string& target, const std::function<bool(char drive)>& remoteDrive = {});

}  // namespace lark
