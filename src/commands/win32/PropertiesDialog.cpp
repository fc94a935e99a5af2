#include "commands/win32/PropertiesDialog.h"

#include <commdlg.h>

#include <vector>

#include "base/Texts.h"
#include "base/win32/Colours.h"
#include "base/win32/Modal.h"
#include "base/win32/ResourceTexts.h"
#include "base/win32/SystemLibrary.h"
#include "base/win32/Text.h"
#include "commands/win32/PropertiesIds.h"

namespace lark::win {
namespace {

std::string ItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
    return Narrow(text);
}

}  // namespace

std::optional<ProgramProperties> PropertiesDialog::Edit(const ProgramProperties& values,
                                                        const std::string& pictureKey) {
    values_ = values;
    pictureKey_ = pictureKey;
    const INT_PTR answer =
        DialogBoxIndirectParamW(GetModuleHandleW(nullptr), DialogTemplate(IDD_PROPERTIES), DialogOwner(),
                                &PropertiesDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    picture_.reset();
    if (answer != IDOK) return std::nullopt;
    return values_;
}

INT_PTR CALLBACK PropertiesDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* self = reinterpret_cast<PropertiesDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    // No exception leaves the dialog's procedure.
    try {
        return self ? self->OnMessage(dialog, message, wParam) : FALSE;
    } catch (...) {
        return FALSE;
    }
}

INT_PTR PropertiesDialog::OnMessage(HWND dialog, UINT message, WPARAM wParam) {
    switch (message) {
        case WM_INITDIALOG: {
            FollowColours(dialog);
            SetWindowTextW(dialog, Widen(values_.name + " Properties").c_str());
            SetDlgItemTextW(dialog, IDC_PROP_NAME, Widen(values_.name).c_str());
            SetDlgItemTextW(dialog, IDC_PROP_TARGET, Widen(values_.target).c_str());
            SetDlgItemTextW(dialog, IDC_PROP_ARGUMENTS, Widen(values_.arguments).c_str());
            const KeyedImageList& pictures = pictures_();
            const int index = pictures.IndexOf(pictureKey_);
            if (index >= 0) ShowPicture(dialog, UniqueIcon(ImageList_GetIcon(pictures.Handle(), index, ILD_NORMAL)));
            return TRUE;  // the name's box takes the focus
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                    values_ = {ItemText(dialog, IDC_PROP_NAME), ItemText(dialog, IDC_PROP_TARGET),
                               ItemText(dialog, IDC_PROP_ARGUMENTS)};
                    EndDialog(dialog, IDOK);
                    return TRUE;
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
                case IDC_PROP_BROWSE:
                    Browse(dialog);
                    return TRUE;
                default:
                    break;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

void PropertiesDialog::ShowPicture(HWND dialog, UniqueIcon icon) {
    if (!icon) return;
    SendDlgItemMessageW(dialog, IDC_PROP_PICTURE, STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
    picture_ = std::move(icon);  // the control shows it, it does not own it
}

void PropertiesDialog::Browse(HWND dialog) {
    std::vector<wchar_t> file(32768, L'\0');
    const std::wstring current = Widen(ItemText(dialog, IDC_PROP_TARGET));
    if (current.size() < file.size() && GetFileAttributesW(current.c_str()) != INVALID_FILE_ATTRIBUTES)
        current.copy(file.data(), current.size());
    // "Name|pattern|..." becomes the NUL-separated list the dialog wants.
    std::wstring filters = Widen(Text(IDS_BROWSE_FILTER));
    for (wchar_t& c : filters)
        if (c == L'|') c = L'\0';
    filters.push_back(L'\0');
    const std::wstring title = Widen(Text(IDS_BROWSE));
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter = filters.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_NODEREFERENCELINKS;
    // The file dialog's library is loaded when it is first asked for.
    static const auto open = SystemFunction<decltype(&GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
    if (!open(&ofn)) return;
    SetDlgItemTextW(dialog, IDC_PROP_TARGET, file.data());
    // The chosen file's own picture, as the button will show it.
    HICON icon = nullptr;
    UINT id = 0;
    const int size = pictures_().Size();
    if (PrivateExtractIconsW(file.data(), 0, size, size, &icon, &id, 1, 0) == 1 && icon)
        ShowPicture(dialog, UniqueIcon(icon));
}

}  // namespace lark::win
