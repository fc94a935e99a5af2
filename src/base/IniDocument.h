#pragma once
// An INI file as the platform's profile functions see it, edited in memory
// and written back with every untouched line byte for byte as it was.
//
// Sections and keys are found as those functions find them: blanks around
// a name do not count, letter case does not count, the first match wins.
// Lines are split at CR LF only, as the catalogue loader splits them.
#include <optional>
#include <string>
#include <vector>

#include "base/TextFile.h"

namespace lark {

class IniDocument {
public:
    IniDocument() = default;
    static IniDocument Parse(std::string_view bytes, IAnsiCodePage& ansi);

    TextEncoding Encoding() const { return encoding_; }
    bool Changed() const { return changed_; }

    bool HasSection(const std::string& section) const;
    bool HasKey(const std::string& section, const std::string& key) const;
    // The value after the first "=", blanks around it removed; nullopt when
    // the key is missing.
    std::optional<std::string> Value(const std::string& section, const std::string& key) const;
    // The section's lines that are not blank, as they stand.
    std::vector<std::string> SectionLines(const std::string& section) const;

    // Sets the key's value: the key's line is rewritten in place, a new key
    // follows the section's last line that is not blank, and a new section
    // goes at the end of the file.
    void Set(const std::string& section, const std::string& key, const std::string& value);
    void DeleteKey(const std::string& section, const std::string& key);
    void DeleteSection(const std::string& section);

    // The operations below find an entry by its key exactly as written
    // first, as the bar names it, and only then as the profile functions do.

    // Puts the section's entries named in `keys` into that order, each line
    // as it stands, in the places those entries held; every other line
    // stays where it is.
    void ArrangeSection(const std::string& section, const std::vector<std::string>& keys);
    // Moves one entry's line, as it stands, to the end of another section
    // (made at the end of the file when missing).
    void MoveKey(const std::string& section, const std::string& key, const std::string& toSection);
    // Changes only the key of one entry; the rest of its line stays.
    void RenameKey(const std::string& section, const std::string& key, const std::string& newKey);
    // Changes the name in the section's header line.
    void RenameSection(const std::string& section, const std::string& newName);

    // The file's bytes. An ANSI file whose new lines the code page cannot
    // hold comes back as UTF-16LE with its byte-order mark, every line
    // re-encoded; `Encoding()` tells which form was written.
    std::string Serialize(IAnsiCodePage& ansi);

private:
    struct Line {
        std::string text;  // UTF-8
        std::string raw;   // as stored; empty for an edited line
        bool edited = false;
    };
    // Index of the section's header line, or -1.
    long FindSection(const std::string& section) const;
    // One past the section's last line (the next header or the end).
    size_t SectionEnd(size_t header) const;
    long FindKey(size_t header, const std::string& key) const;
    // The entry keyed exactly so (blanks and case included), else FindKey's.
    long FindEntry(size_t header, const std::string& key) const;
    // A new section's header at the end of the file; returns its index.
    size_t AppendSection(const std::string& section);
    // One past the section's last line that is not blank.
    size_t AfterLastEntry(size_t header) const;
    void Insert(size_t at, std::string text);
    void Rewrite(size_t at, std::string text);
    bool OnlyBlankLines() const;

    TextEncoding encoding_ = TextEncoding::Ansi;
    std::vector<Line> lines_;
    bool changed_ = false;
};

// The name of a section header line as the profile functions read it, or
// nullopt when the line is no header.
std::optional<std::string> ProfileSectionName(const std::string& line);

}  // namespace lark
