#include "base/cINI.h"

#include "base/RuntimeError.h"
#include "base/Texts.h"

namespace lark {

IniDocument cINI::Current() const {
    if (batch_) return *batch_;
    std::string bytes;
    try {
        bytes = files_.ReadBytes(path_);
    } catch (const RuntimeError& e) {
        // As the profile functions do, a missing file is an empty one.
        if (e.Number() != kErrFileNotFound) throw;
    }
    return IniDocument::Parse(bytes, ansi_);
}

std::string cINI::GetVal(std::string Section, std::string Key) const {
    return Current().Value(Section, Key).value_or(std::string());
}

std::string cINI::GetSection(std::string Section) const {
    std::string out;
    for (const std::string& line : Current().SectionLines(Section)) {
        out += line;
        out += '\0';
    }
    return out;
}

bool cINI::HasSection(const std::string& Section) const { return Current().HasSection(Section); }

bool cINI::HasKey(const std::string& Section, const std::string& Key) const { return Current().HasKey(Section, Key); }

void cINI::Save(IniDocument& document) {
    if (!document.Changed()) return;
    try {
        const std::string bytes = document.Serialize(ansi_);
        files_.SaveAtomically(path_, bytes, BackupPath());
    } catch (...) {
        const RuntimeError cause = CurrentError();
        throw RuntimeError(cause.Number(), Text(IDS_CANNOT_SAVE, {path_, cause.Description()}));
    }
}

template <class Edit>
bool cINI::Apply(Edit&& edit) {
    if (batch_) {
        edit(*batch_);
        return true;
    }
    IniDocument document = Current();
    edit(document);
    Save(document);
    return true;
}

bool cINI::Create(std::string Section, std::string Key, std::string Value) {
    return Apply([&](IniDocument& d) { d.Set(Section, Key, Value); });
}

bool cINI::DeleteSection(std::string Section) {
    return Apply([&](IniDocument& d) { d.DeleteSection(Section); });
}

bool cINI::DeleteKey(std::string Section, std::string Key) {
    return Apply([&](IniDocument& d) { d.DeleteKey(Section, Key); });
}

bool cINI::DeleteValue(std::string Section, std::string Key) {
    return Apply([&](IniDocument& d) { d.Set(Section, Key, std::string()); });
}

void cINI::ArrangeSection(const std::string& Section, const std::vector<std::string>& Keys) {
    Apply([&](IniDocument& d) { d.ArrangeSection(Section, Keys); });
}

void cINI::MoveKey(const std::string& Section, const std::string& Key, const std::string& ToSection) {
    Apply([&](IniDocument& d) { d.MoveKey(Section, Key, ToSection); });
}

void cINI::RenameKey(const std::string& Section, const std::string& Key, const std::string& NewKey) {
    Apply([&](IniDocument& d) { d.RenameKey(Section, Key, NewKey); });
}

void cINI::RenameSection(const std::string& Section, const std::string& NewName) {
    Apply([&](IniDocument& d) { d.RenameSection(Section, NewName); });
}

void cINI::BeginBatch() {
    if (batch_) Raise(kErrInvalidCall);
    batch_ = Current();
}

void cINI::CommitBatch() {
    if (!batch_) return;
    IniDocument document = std::move(*batch_);
    batch_.reset();
    Save(document);
}

void cINI::CancelBatch() { batch_.reset(); }

}  // namespace lark
