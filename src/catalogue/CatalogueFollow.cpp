#include "catalogue/CatalogueFollow.h"

#include <algorithm>

#include "base/Hash.h"
#include "base/RuntimeError.h"
#include "base/Texts.h"

namespace lark {
namespace {

// What the user is told, in one place.
std::string BrokenText(const std::string& path, const CatalogueFault& fault) {
    std::string why;
    switch (fault.kind) {
        case CatalogueFaultKind::UnclosedQuote:
            why = Text(IDS_FOLLOW_UNCLOSED, {std::to_string(fault.line)});
            break;
        case CatalogueFaultKind::RepeatedName:
            why = Text(IDS_FOLLOW_REPEATED, {std::to_string(fault.line), fault.name});
            break;
        case CatalogueFaultKind::CutCharacter: why = Text(IDS_FOLLOW_CUT); break;
    }
    return Text(IDS_FOLLOW_BROKEN, {path, why});
}

std::string MissingText(const std::string& path) {
    return Text(IDS_FOLLOW_MISSING, {path});
}

std::string UnreadableText(const std::string& path, const std::string& description) {
    return Text(IDS_FOLLOW_UNREADABLE, {path, description});
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

std::optional<CatalogueFollow::Version> CatalogueFollow::Current(std::string& bytes) const {
    Version version;
    version.stamp = stamps_.Stamp(path_);
    if (!version.stamp.exists) return version;
    if (!Guard([&] { bytes = files_.ReadBytes(path_); })) return std::nullopt;
    version.hash = Fnv1a64(bytes);
    return version;
}

void CatalogueFollow::Follow(const std::string& path) {
    const std::string folder = FolderOf(path);
    if (path_.empty() || folder != folder_) {
        folder_ = folder;
        watched_ = host_.WatchFolder(folder);
    }
    path_ = path;
    std::string bytes;
    // A file the load cannot open either is taken up again when it changes.
    known_ = Current(bytes).value_or(Version{stamps_.Stamp(path), 0});
    reported_ = Problem::None;
    retries_ = 0;
    dueAt_.reset();
    firstChange_.reset();
}

void CatalogueFollow::BeforeSave(const std::string& path) {
    savingOverKnown_ = false;
    if (path_.empty() || path != path_) return;
    if (stamps_.Stamp(path) == known_.stamp) {
        savingOverKnown_ = true;
        return;
    }
    std::string bytes;
    const std::optional<Version> now = Current(bytes);
    savingOverKnown_ = now && now->stamp.exists == known_.stamp.exists && now->hash == known_.hash;
}

void CatalogueFollow::AfterSave(const std::string& path, std::string_view bytes) {
    if (path_.empty() || path != path_) return;
    if (savingOverKnown_) {
        known_ = Version{stamps_.Stamp(path), Fnv1a64(bytes)};
        return;
    }
    // The edit went into a file another program had changed: the bar shows
    // what the file now holds, both changes.
    dueAt_ = 0;
}

void CatalogueFollow::FolderChanged(uint64_t nowMs) {
    if (path_.empty()) return;
    if (!firstChange_) firstChange_ = nowMs;
    dueAt_ = std::min(nowMs + kQuietMs, *firstChange_ + kLongestWaitMs);
}

void CatalogueFollow::Activated(uint64_t nowMs) {
    if (path_.empty() || dueAt_) return;
    if (stamps_.Stamp(path_) != known_.stamp) dueAt_ = nowMs;
}

std::optional<uint64_t> CatalogueFollow::DueInMs(uint64_t nowMs) const {
    if (!dueAt_) return std::nullopt;
    return *dueAt_ > nowMs ? *dueAt_ - nowMs : 0;
}

void CatalogueFollow::RunDue(uint64_t nowMs) {
    if (!dueAt_ || nowMs < *dueAt_) return;
    dueAt_.reset();
    firstChange_.reset();
    Check(nowMs);
}

void CatalogueFollow::Report(Problem problem, const std::string& text) {
    if (reported_ == problem) return;
    reported_ = problem;
    host_.ReportCatalogueProblem(text);
}

void CatalogueFollow::Check(uint64_t nowMs) {
    Look(nowMs);
    // Counted once the look is over, message and reload included.
    ++checks_;
}

void CatalogueFollow::Look(uint64_t nowMs) {
    const FileStamp stamp = stamps_.Stamp(path_);
    // Gone, perhaps for good, perhaps renamed away by an editor that is
    // about to put the new file in its place.
    if (!stamp.exists) {
        if (known_.stamp.exists) Report(Problem::Missing, MissingText(path_));
        return;
    }
    std::string bytes;
    try {
        bytes = files_.ReadBytes(path_);
    } catch (...) {
        const RuntimeError error = CurrentError();
        if (error.Number() == kErrFileNotFound || error.Number() == kErrPathNotFound) {
            if (known_.stamp.exists) Report(Problem::Missing, MissingText(path_));
            return;
        }
        // Most likely the writer still holds it.
        if (++retries_ <= kRetries) {
            dueAt_ = nowMs + kRetryMs;
            return;
        }
        retries_ = 0;
        Report(Problem::Unreadable, UnreadableText(path_, error.Description()));
        return;
    }
    retries_ = 0;
    const uint64_t hash = Fnv1a64(bytes);
    if (known_.stamp.exists && hash == known_.hash) {
        // The bar's own save, a touch, or the file put back as it was.
        known_.stamp = stamp;
        reported_ = Problem::None;
        return;
    }
    if (const std::optional<CatalogueFault> fault = host_.CheckCatalogue(bytes)) {
        Report(Problem::Broken, BrokenText(path_, *fault));
        return;
    }
    reported_ = Problem::None;
    ++reloads_;
    host_.ReloadCatalogueFromFile();
}

}  // namespace lark
