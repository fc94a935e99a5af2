#pragma once
// Reads and edits one INI file. Holds only the path: every read goes to the
// file, and every edit is one all-or-nothing save (the file as it was kept
// beside it as "<name>.bak"), unless a batch gathers several edits into one.
#include <optional>
#include <string>
#include <vector>

#include "base/FileSystem.h"
#include "base/IniDocument.h"
#include "base/TextFile.h"

namespace lark {

class cINI {
public:
    cINI(IFileSystem& files, IAnsiCodePage& ansi) : files_(files), ansi_(ansi) {}

    // Empty when the file, section or key is missing.
    std::string GetVal(std::string Section, std::string Key) const;
    // The section's lines, each ended by a NUL.
    std::string GetSection(std::string Section) const;
    // Names as the file sees them: blanks around and letter case ignored.
    bool HasSection(const std::string& Section) const;
    bool HasKey(const std::string& Section, const std::string& Key) const;

    // The writing members answer True once the file holds the change; a
    // failed save raises a RuntimeError naming the file, which is left as
    // it was.
    bool Create(std::string Section, std::string Key, std::string Value);
    bool DeleteSection(std::string Section);
    bool DeleteKey(std::string Section, std::string Key);
    bool DeleteValue(std::string Section, std::string Key);
    // The bar's own edits: its order, a move and renames (IniDocument's).
    void ArrangeSection(const std::string& Section, const std::vector<std::string>& Keys);
    void MoveKey(const std::string& Section, const std::string& Key, const std::string& ToSection);
    void RenameKey(const std::string& Section, const std::string& Key, const std::string& NewKey);
    void RenameSection(const std::string& Section, const std::string& NewName);

    // Edits between BeginBatch and CommitBatch reach the file in one save.
    void BeginBatch();
    void CommitBatch();
    void CancelBatch();
    bool InBatch() const { return batch_.has_value(); }

    void INIPath(std::string newINI) { path_ = std::move(newINI); }
    const std::string& INIPath() const { return path_; }
    std::string BackupPath() const { return path_ + ".bak"; }

private:
    // The file as it is (a missing file reads as empty), or the batch's copy.
    IniDocument Current() const;
    template <class Edit>
    bool Apply(Edit&& edit);
    void Save(IniDocument& document);

    IFileSystem& files_;
    IAnsiCodePage& ansi_;
    std::string path_;
    std::optional<IniDocument> batch_;
};

// Gathers the edits of one command into one save; a batch not committed
// leaves the file untouched.
class CatalogueBatch {
public:
    explicit CatalogueBatch(cINI& ini) : ini_(ini) { ini_.BeginBatch(); }
    ~CatalogueBatch() {
        if (open_) ini_.CancelBatch();
    }
    CatalogueBatch(const CatalogueBatch&) = delete;
    CatalogueBatch& operator=(const CatalogueBatch&) = delete;
    void Commit() {
        open_ = false;
        ini_.CommitBatch();
    }

private:
    cINI& ini_;
    bool open_ = true;
};

}  // namespace lark
