#include "bar/win32/DragDrop.h"

#include <shellapi.h>
#include <shlobj.h>

#include <atomic>
#include <cstddef>
#include <cstring>

#include "base/win32/Services.h"
#include "base/win32/Text.h"

namespace lark::win {
namespace {

// The layouts the portable reader of these formats counts on.
static_assert(sizeof(DROPFILES) == 20 && offsetof(DROPFILES, fWide) == 16);
static_assert(offsetof(FILEGROUPDESCRIPTORW, fgd) == 4 && offsetof(FILEDESCRIPTORW, cFileName) == 72 &&
              sizeof(FILEDESCRIPTORW::cFileName) == 520);

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

std::string ButtonDragBytes(const ButtonDrag& drag) { return lark::ButtonDragBytes(GetCurrentProcessId(), drag); }

std::string WideTextBytes(const std::string& utf8) {
    const std::wstring text = Widen(utf8);
    return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
}

DragPayload ReadDragPayload(IDataObject* data) {
    AnsiCodePageService ansi;
    const auto offered = [data](DragFormat format) -> std::optional<std::string> {
        switch (format) {
            case DragFormat::Button: return ReadFormat(data, ButtonDragFormat());
            case DragFormat::Files: return ReadFormat(data, CF_HDROP);
            case DragFormat::Url: return ReadFormat(data, UrlFormat());
            case DragFormat::AnsiUrl: return ReadFormat(data, AnsiUrlFormat());
            case DragFormat::Descriptor: return ReadFormat(data, FileDescriptorFormat());
            case DragFormat::Text: return ReadFormat(data, CF_UNICODETEXT);
        }
        return std::nullopt;
    };
    DragContents contents = ReadDragFormats(offered, GetCurrentProcessId(), ansi);
    for (DroppedFile& file : contents.items.files) {
        const DWORD attributes = GetFileAttributesW(Widen(file.path).c_str());
        file.isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    return DragPayload{std::move(contents.button), std::move(contents.items)};
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
