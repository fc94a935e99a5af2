#include "icons/PictureQueue.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace lark {

void PictureQueue::Push(PictureJob job) {
    // Asked again before it was made (a DPI change while a load's pictures
    // still wait): the job waiting makes it at the size of its turn anyway.
    if (!waiting_.insert(Waiting(job)).second) return;
    jobs_.push_back(std::move(job));
}

std::optional<PictureJob> PictureQueue::Pop() {
    if (jobs_.empty()) return std::nullopt;
    PictureJob job = std::move(jobs_.front());
    jobs_.pop_front();
    waiting_.erase(Waiting(job));
    return job;
}

void PictureQueue::Clear() {
    jobs_.clear();
    waiting_.clear();
}

std::string PictureQueue::Waiting(const PictureJob& job) { return job.key + '\0' + job.target; }

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

bool IsNetworkPath(const std::string& target, const std::function<bool(char drive)>& remoteDrive) {
    std::string_view path = target;
    // "\\?\C:\..." is a drive path, "\\?\UNC\server\..." a UNC one.
    if (path.size() > 4 && path[0] == '\\' && path[1] == '\\' && (path[2] == '?' || path[2] == '.') &&
        path[3] == '\\') {
        if (path.compare(4, 4, "UNC\\") == 0) return true;
        path.remove_prefix(4);
    } else if (path.size() >= 3 && path[0] == '\\' && path[1] == '\\') {
        return true;  // "\\server\share\..."
    }
    const bool letter = path.size() >= 2 && path[1] == ':' &&
                        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return letter && remoteDrive && remoteDrive(static_cast<char>(path[0] & ~0x20));
}

}  // namespace lark
