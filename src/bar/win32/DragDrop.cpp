#include "bar/win32/DragDrop.h"

#include <shellapi.h>
#include <shlobj.h>

#include <atomic>
#include <cstring>

#include "base/win32/Text.h"

namespace lark::win {
namespace {

FORMATETC HGlobalFormat(CLIPFORMAT format) { return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

// The bytes of one HGLOBAL format the data object offers, nullopt when it
// offers none.
std::optional<std::string> ReadFormat(IDataObject* data, CLIPFORMAT format) {
    FORMATETC wanted = HGlobalFormat(format);
    STGMEDIUM medium{};
    if (format == 0 || FAILED(data->GetData(&wanted, &medium))) return std::nullopt;
    std::optional<std::string> bytes;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
        if (const void* locked = GlobalLock(medium.hGlobal)) {
            bytes = std::string(static_cast<const char*>(locked), GlobalSize(medium.hGlobal));
            GlobalUnlock(medium.hGlobal);
        }
    }
    ReleaseStgMedium(&medium);
    return bytes;
}

// Text up to its first NUL.
std::string WideText(const std::string& bytes) {
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    text.resize(std::wcslen(text.c_str()));
    return Narrow(text);
}

std::string AnsiText(const std::string& bytes) {
    const std::string text(bytes.c_str());
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return Narrow(wide);
}

std::vector<DroppedFile> FilesOf(IDataObject* data) {
    std::vector<DroppedFile> files;
    FORMATETC wanted = HGlobalFormat(CF_HDROP);
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&wanted, &medium))) return files;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
        auto drop = static_cast<HDROP>(medium.hGlobal);
        const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
            path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
            if (path.empty()) continue;
            const DWORD attributes = GetFileAttributesW(path.c_str());
            const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
            files.push_back(DroppedFile{Narrow(path), folder});
        }
    }
    ReleaseStgMedium(&medium);
    return files;
}

// The first file name of a file group descriptor (a browser's "Title.url").
std::string DescriptorTitle(const std::string& bytes) {
    if (bytes.size() < sizeof(FILEGROUPDESCRIPTORW)) return {};
    FILEGROUPDESCRIPTORW group{};
    std::memcpy(&group, bytes.data(), sizeof group);
    if (group.cItems == 0) return {};
    group.fgd[0].cFileName[MAX_PATH - 1] = L'\0';
    return Narrow(group.fgd[0].cFileName);
}

// A reference-counted COM object of one or more interfaces.
template <class Self>
class RefCounted {
public:
    ULONG AddRefImpl() { return ++refs_; }
    ULONG ReleaseImpl() {
        const ULONG left = --refs_;
        if (left == 0) delete static_cast<Self*>(this);
        return left;
    }

private:
    std::atomic<ULONG> refs_{1};
};

class DataObject : public IDataObject, private RefCounted<DataObject> {
public:
    explicit DataObject(std::vector<std::pair<CLIPFORMAT, std::string>> formats) : formats_(std::move(formats)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDataObject) return E_NOINTERFACE;
        *out = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (!format || !medium) return E_INVALIDARG;
        const std::string* bytes = Find(*format);
        if (!bytes) return DV_E_FORMATETC;
        HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, bytes->size());
        if (!global) return E_OUTOFMEMORY;
        if (void* locked = GlobalLock(global)) {
            std::memcpy(locked, bytes->data(), bytes->size());
            GlobalUnlock(global);
        }
        *medium = STGMEDIUM{};
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = global;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        return format && Find(*format) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return E_NOTIMPL;
    }
    // The shell's drag image helper stores its picture this way; without
    // it, the drag shows the cursor alone.
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (direction != DATADIR_GET) return E_NOTIMPL;
        std::vector<FORMATETC> list;
        for (const auto& entry : formats_) list.push_back(HGlobalFormat(entry.first));
        return SHCreateStdEnumFmtEtc(static_cast<UINT>(list.size()), list.data(), out);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    friend class RefCounted<DataObject>;
    virtual ~DataObject() = default;

    const std::string* Find(const FORMATETC& format) const {
        if (!(format.tymed & TYMED_HGLOBAL) || format.dwAspect != DVASPECT_CONTENT) return nullptr;
        for (const auto& entry : formats_)
            if (entry.first == format.cfFormat) return &entry.second;
        return nullptr;
    }

    std::vector<std::pair<CLIPFORMAT, std::string>> formats_;
};

class DropSource : public IDropSource, private RefCounted<DropSource> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDropSource) return E_NOINTERFACE;
        *out = static_cast<IDropSource*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape || (keys & MK_RBUTTON)) return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    friend class RefCounted<DropSource>;
    virtual ~DropSource() = default;
};

class DropTarget : public IDropTarget, private RefCounted<DropTarget> {
public:
    DropTarget(HWND window, IDropSite& site) : window_(window), site_(&site) {}
    void Detach() { site_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDropTarget) return E_NOINTERFACE;
        *out = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

    // No exception leaves a callback: OLE calls them from its own loop.
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL at, DWORD* effect) noexcept override {
        if (!effect) return E_INVALIDARG;
        const DWORD allowed = *effect;
        *effect = DROPEFFECT_NONE;
        try {
            payload_ = data ? ReadDragPayload(data) : DragPayload{};
            if (site_) *effect = site_->DragOver(POINT{at.x, at.y}, payload_, allowed);
        } catch (...) {
            *effect = DROPEFFECT_NONE;
        }
        // The shell draws the dragged items' picture under the cursor; its
        // helper (and the shell) load with the first drag, not with the bar.
        if (!helper_ && !helperTried_) {
            helperTried_ = true;
            CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, IID_IDropTargetHelper,
                             reinterpret_cast<void**>(helper_.put()));
        }
        POINT point{at.x, at.y};
        if (helper_ && data) helper_->DragEnter(window_, data, &point, *effect);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL at, DWORD* effect) noexcept override {
        if (!effect) return E_INVALIDARG;
        const DWORD allowed = *effect;
        *effect = DROPEFFECT_NONE;
        try {
            if (site_) *effect = site_->DragOver(POINT{at.x, at.y}, payload_, allowed);
        } catch (...) {
            *effect = DROPEFFECT_NONE;
        }
        POINT point{at.x, at.y};
        if (helper_) helper_->DragOver(&point, *effect);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() noexcept override {
        try {
            if (site_) site_->DragLeave();
        } catch (...) {
        }
        if (helper_) helper_->DragLeave();
        payload_ = DragPayload{};
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL at, DWORD* effect) noexcept override {
        if (!effect) return E_INVALIDARG;
        const DWORD allowed = *effect;
        *effect = DROPEFFECT_NONE;
        try {
            // The data as dropped; a source may have added to it since.
            if (data) payload_ = ReadDragPayload(data);
            if (site_) *effect = site_->Drop(POINT{at.x, at.y}, payload_, allowed);
        } catch (...) {
            *effect = DROPEFFECT_NONE;
        }
        POINT point{at.x, at.y};
        if (helper_ && data) helper_->Drop(data, &point, *effect);
        payload_ = DragPayload{};
        return S_OK;
    }

private:
    friend class RefCounted<DropTarget>;
    virtual ~DropTarget() = default;

    HWND window_;
    IDropSite* site_;
    ComPtr<IDropTargetHelper> helper_;
    bool helperTried_ = false;
    DragPayload payload_;
};

}  // namespace

CLIPFORMAT ButtonDragFormat() {
    static const auto format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"Larkspan Program Button"));
    return format;
}

CLIPFORMAT UrlFormat() {
    static const auto format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_INETURLW));
    return format;
}

CLIPFORMAT AnsiUrlFormat() {
    static const auto format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"UniformResourceLocator"));
    return format;
}

CLIPFORMAT FileDescriptorFormat() {
    static const auto format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_FILEDESCRIPTORW));
    return format;
}

std::string HDropBytes(const std::vector<std::string>& paths) {
    std::wstring list;
    for (const std::string& path : paths) list += Widen(path) + L'\0';
    list += L'\0';
    DROPFILES header{};
    header.pFiles = sizeof header;
    header.fWide = TRUE;
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
    bytes.append(reinterpret_cast<const char*>(list.data()), list.size() * sizeof(wchar_t));
    return bytes;
}

std::string ButtonDragBytes(const ButtonDrag& drag) {
    // The process marks the drag as this program's own: another program's
    // toolbar indices mean nothing here.
    const DWORD process = GetCurrentProcessId();
    std::string bytes(reinterpret_cast<const char*>(&process), sizeof process);
    bytes.append(reinterpret_cast<const char*>(&drag.toolbar), sizeof drag.toolbar);
    bytes += drag.key;
    return bytes;
}

std::string WideTextBytes(const std::string& utf8) {
    const std::wstring text = Widen(utf8);
    return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
}

DragPayload ReadDragPayload(IDataObject* data) {
    DragPayload payload;
    if (const std::optional<std::string> bytes = ReadFormat(data, ButtonDragFormat())) {
        DWORD process = 0;
        ButtonDrag drag;
        if (bytes->size() >= sizeof process + sizeof drag.toolbar) {
            std::memcpy(&process, bytes->data(), sizeof process);
            std::memcpy(&drag.toolbar, bytes->data() + sizeof process, sizeof drag.toolbar);
            drag.key = bytes->substr(sizeof process + sizeof drag.toolbar);
            if (process == GetCurrentProcessId()) payload.button = std::move(drag);
        }
        return payload;
    }
    payload.items.files = FilesOf(data);
    if (!payload.items.files.empty()) return payload;
    if (const auto url = ReadFormat(data, UrlFormat())) {
        payload.items.urls = WideText(*url);
    } else if (const auto ansiUrl = ReadFormat(data, AnsiUrlFormat())) {
        payload.items.urls = AnsiText(*ansiUrl);
    }
    if (!payload.items.urls.empty()) {
        if (const auto descriptor = ReadFormat(data, FileDescriptorFormat()))
            payload.items.urlTitle = DescriptorTitle(*descriptor);
        return payload;
    }
    if (const auto text = ReadFormat(data, CF_UNICODETEXT)) payload.items.text = WideText(*text);
    return payload;
}

ComPtr<IDataObject> MakeDataObject(std::vector<std::pair<CLIPFORMAT, std::string>> formats) {
    return ComPtr<IDataObject>(new DataObject(std::move(formats)));
}

void DragButton(const ButtonDrag& drag) {
    const ComPtr<IDataObject> data = MakeDataObject({{ButtonDragFormat(), ButtonDragBytes(drag)}});
    const ComPtr<IDropSource> source(new DropSource());
    DWORD effect = DROPEFFECT_NONE;
    DoDragDrop(data.get(), source.get(), DROPEFFECT_MOVE, &effect);
}

DropRegistration::DropRegistration(HWND window, IDropSite& site) : window_(window) {
    if (!EnsureOleInitialized()) return;
    target_.reset(new DropTarget(window, site));
    registered_ = SUCCEEDED(RegisterDragDrop(window, target_.get()));
}

DropRegistration::~DropRegistration() { Revoke(); }

void DropRegistration::Revoke() {
    if (target_) static_cast<DropTarget*>(target_.get())->Detach();
    if (registered_ && IsWindow(window_)) RevokeDragDrop(window_);
    registered_ = false;
}

}  // namespace lark::win
