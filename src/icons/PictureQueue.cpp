#include "icons/PictureQueue.h"

#include <algorithm>
#include <unordered_map>

namespace lark {

std::optional<PictureJob> PictureQueue::Pop() {
    if (jobs_.empty()) return std::nullopt;
    PictureJob job = std::move(jobs_.front());
    jobs_.pop_front();
    return job;
}

void PictureQueue::Prioritize(const std::vector<std::string>& keys) {
    std::unordered_map<std::string, size_t> rank;
    for (const std::string& key : keys) rank.emplace(key, rank.size());
    // A stable partition keeps everything else in the order it was asked.
    std::stable_sort(jobs_.begin(), jobs_.end(), [&](const PictureJob& a, const PictureJob& b) {
        auto ra = rank.find(a.key), rb = rank.find(b.key);
        const size_t la = ra == rank.end() ? rank.size() : ra->second;
        const size_t lb = rb == rank.end() ? rank.size() : rb->second;
        return la < lb;
    });
}

bool IsNetworkPath(const std::string& target) {
    // "\\server\share\..." but not the "\\?\" and "\\.\" device forms.
    if (target.size() < 3 || target[0] != '\\' || target[1] != '\\') return false;
    if ((target[2] == '?' || target[2] == '.') && target.size() > 3 && target[3] == '\\')
        return target.compare(0, 8, "\\\\?\\UNC\\") == 0;
    return true;
}

}  // namespace lark
