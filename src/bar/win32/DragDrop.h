#pragma once
// OLE drag and drop on the bar: what a drag carries, the data object and
// drop source of a program button dragged along the bar, and the drop
// target each bar window registers. The drop target hands every event to
// a site (the bar window), which shows the drop's place and acts on it.
#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bar/DropFormats.h"
#include "base/DropData.h"
#include "base/win32/Ole.h"

namespace lark::win {

struct DragPayload {
    std::optional<ButtonDrag> button;  // a button of this program
    DroppedItems items;                // otherwise: files, addresses, text
};

// Never raises: formats that cannot be read are left out.
DragPayload ReadDragPayload(IDataObject* data);

// Formats as the shell and browsers name them, and the button's own.
CLIPFORMAT ButtonDragFormat();
CLIPFORMAT UrlFormat();        // "UniformResourceLocatorW"
CLIPFORMAT AnsiUrlFormat();    // "UniformResourceLocator"
CLIPFORMAT FileDescriptorFormat();  // "FileGroupDescriptorW"

// HGLOBAL contents: a CF_HDROP of these paths, a button drag.
std::string HDropBytes(const std::vector<std::string>& paths);
std::string ButtonDragBytes(const ButtonDrag& drag);
// UTF-16 text with its terminating NUL, as text formats hold it.
std::string WideTextBytes(const std::string& utf8);

// A data object holding fixed contents in HGLOBAL formats, in their order.
ComPtr<IDataObject> MakeDataObject(std::vector<std::pair<CLIPFORMAT, std::string>> formats);

// Drags a button until it is dropped or cancelled (Escape); the drop
// target does the rest.
void DragButton(const ButtonDrag& drag);

class IDropSite {
public:
    virtual ~IDropSite() = default;
    // The effect of a drop at the screen point, its place shown; none when
    // the bar cannot take it there. `allowed` is what the source permits.
    virtual DWORD DragOver(POINT screen, const DragPayload& payload, DWORD allowed) = 0;
    // The place shown no more.
    virtual void DragLeave() = 0;
    // Takes the drop; returns its effect.
    virtual DWORD Drop(POINT screen, const DragPayload& payload, DWORD allowed) = 0;
};

// The registration of a window as a drop target, revoked on destruction
// (while the window still exists) or by Revoke.
class DropRegistration {
public:
    // Starts OLE on this thread if need be. Without OLE the window takes
    // no drops, and nothing else changes.
    DropRegistration(HWND window, IDropSite& site);
    ~DropRegistration();
    DropRegistration(const DropRegistration&) = delete;
    DropRegistration& operator=(const DropRegistration&) = delete;

    bool Registered() const { return registered_; }
    void Revoke();
    // The target itself, as OLE calls it.
    IDropTarget* Target() const { return target_.get(); }

private:
    HWND window_;
    ComPtr<IDropTarget> target_;
    bool registered_ = false;
};

}  // namespace lark::win
