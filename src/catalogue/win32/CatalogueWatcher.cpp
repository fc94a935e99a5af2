#include "catalogue/win32/CatalogueWatcher.h"

#include "base/win32/Barrier.h"
#include "base/win32/Text.h"

namespace lark::win {

DWORD CatalogueWatcher::WaitMs() {
    const std::optional<uint64_t> due = follow_.DueInMs(GetTickCount64());
    if (!due) return INFINITE;
    return static_cast<DWORD>(std::min<uint64_t>(*due, INFINITE - 1));
}

void CatalogueWatcher::Signalled() {
    // Armed again first: a change made while the file is looked at is not lost.
    if (!FindNextChangeNotification(change_.get())) change_.reset();
    follow_.FolderChanged(GetTickCount64());
}

// Called from the message loop, which no error may leave.
void CatalogueWatcher::Due() {
    Barrier([&] { follow_.RunDue(GetTickCount64()); });
}

void CatalogueWatcher::WaitFailed() {
    // From now on the file is looked at when the bar is activated.
    change_.reset();
}

bool CatalogueWatcher::WatchFolder(const std::string& folder) {
    // A renamed file counts: editors save by writing a new file and
    // renaming it over the old one.
    change_.reset(FindFirstChangeNotificationW(
        Widen(folder).c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE));
    return static_cast<bool>(change_);
}

}  // namespace lark::win
