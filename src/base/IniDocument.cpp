#include "base/IniDocument.h"

#include <algorithm>

#include "base/Unicode.h"

namespace lark {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The key of an entry line: the text before "=" (the whole line without one).
std::string_view KeyOf(std::string_view line) { return Trim(line.substr(0, line.find('='))); }

// An entry whose key, as the catalogue loader reads it, is exactly `key`.
bool IsEntryKeyed(std::string_view line, std::string_view key) {
    const size_t eq = line.find('=');
    return eq != std::string_view::npos && line.substr(0, eq) == key;
}

}  // namespace

std::optional<std::string> ProfileSectionName(const std::string& line) {
    const std::string_view text = Trim(line);
    if (text.empty() || text.front() != '[') return std::nullopt;
    const size_t close = text.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return std::string(Trim(text.substr(1, close - 1)));
}

IniDocument IniDocument::Parse(std::string_view bytes, IAnsiCodePage& ansi) {
    TextLines split = SplitTextLines(bytes, ansi);
    IniDocument doc;
    doc.encoding_ = split.encoding;
    doc.lines_.reserve(split.text.size());
    for (size_t i = 0; i < split.text.size(); ++i) {
        // A UTF-16 file cut after an odd byte: written back as it reads, so
        // the lines after it stay in step.
        const bool odd = split.encoding == TextEncoding::Utf16Le && split.raw[i].size() % 2 != 0;
        doc.lines_.push_back(Line{std::move(split.text[i]), std::move(split.raw[i]), odd});
    }
    return doc;
}

long IniDocument::FindSection(const std::string& section) const {
    const std::string_view wanted = Trim(section);
    for (size_t i = 0; i < lines_.size(); ++i) {
        const std::optional<std::string> name = ProfileSectionName(lines_[i].text);
        if (name && EqualsIgnoreCase(*name, wanted)) return static_cast<long>(i);
    }
    return -1;
}

size_t IniDocument::SectionEnd(size_t header) const {
    size_t end = header + 1;
    while (end < lines_.size() && !ProfileSectionName(lines_[end].text)) ++end;
    return end;
}

long IniDocument::FindKey(size_t header, const std::string& key) const {
    const std::string_view wanted = Trim(key);
    const size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i) {
        const std::string_view line = lines_[i].text;
        if (Trim(line).empty()) continue;
        if (EqualsIgnoreCase(KeyOf(line), wanted)) return static_cast<long>(i);
    }
    return -1;
}

long IniDocument::FindEntry(size_t header, const std::string& key) const {
    const size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i)
        if (IsEntryKeyed(lines_[i].text, key)) return static_cast<long>(i);
    return FindKey(header, key);
}

bool IniDocument::HasSection(const std::string& section) const { return FindSection(section) >= 0; }

bool IniDocument::HasKey(const std::string& section, const std::string& key) const {
    const long header = FindSection(section);
    return header >= 0 && FindKey(static_cast<size_t>(header), key) >= 0;
}

std::optional<std::string> IniDocument::Value(const std::string& section, const std::string& key) const {
    const long header = FindSection(section);
    if (header < 0) return std::nullopt;
    const long at = FindKey(static_cast<size_t>(header), key);
    if (at < 0) return std::nullopt;
    const std::string_view line = lines_[static_cast<size_t>(at)].text;
    const size_t eq = line.find('=');
    return eq == std::string_view::npos ? std::string() : std::string(Trim(line.substr(eq + 1)));
}

std::vector<std::string> IniDocument::SectionLines(const std::string& section) const {
    std::vector<std::string> out;
    const long header = FindSection(section);
    if (header < 0) return out;
    const size_t end = SectionEnd(static_cast<size_t>(header));
    for (size_t i = static_cast<size_t>(header) + 1; i < end; ++i)
        if (!Trim(lines_[i].text).empty()) out.push_back(lines_[i].text);
    return out;
}

void IniDocument::Insert(size_t at, std::string text) {
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), {}, true});
    changed_ = true;
}

void IniDocument::Rewrite(size_t at, std::string text) {
    lines_[at] = Line{std::move(text), {}, true};
    changed_ = true;
}

bool IniDocument::OnlyBlankLines() const {
    for (const Line& line : lines_)
        if (!Trim(line.text).empty()) return false;
    return true;
}

size_t IniDocument::AppendSection(const std::string& section) {
    // A new catalogue holds one empty line; a first section replaces it
    // rather than follow it.
    if (OnlyBlankLines()) lines_.clear();
    // The file ends with a line end, then the new section follows.
    if (lines_.empty() || !lines_.back().text.empty()) lines_.push_back(Line{{}, {}, true});
    const size_t at = lines_.size() - 1;
    Insert(at, "[" + std::string(Trim(section)) + "]");
    return at;
}

size_t IniDocument::AfterLastEntry(size_t header) const {
    size_t last = header;
    const size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i)
        if (!Trim(lines_[i].text).empty()) last = i;
    return last + 1;
}

void IniDocument::Set(const std::string& section, const std::string& key, const std::string& value) {
    const std::string entry = std::string(Trim(key)) + "=" + value;
    const long header = FindSection(section);
    if (header < 0) {
        Insert(AppendSection(section) + 1, entry);
        return;
    }
    const long existing = FindKey(static_cast<size_t>(header), key);
    if (existing >= 0) {
        const std::string_view line = lines_[static_cast<size_t>(existing)].text;
        Rewrite(static_cast<size_t>(existing), std::string(KeyOf(line)) + "=" + value);
        return;
    }
    Insert(AfterLastEntry(static_cast<size_t>(header)), entry);
}

void IniDocument::DeleteKey(const std::string& section, const std::string& key) {
    const long header = FindSection(section);
    if (header < 0) return;
    const long at = FindKey(static_cast<size_t>(header), key);
    if (at < 0) return;
    lines_.erase(lines_.begin() + at);
    changed_ = true;
}

void IniDocument::DeleteSection(const std::string& section) {
    const long header = FindSection(section);
    if (header < 0) return;
    size_t end = SectionEnd(static_cast<size_t>(header));
    // The last section takes the file's closing line end only with it when
    // nothing is left.
    if (end == lines_.size() && lines_.back().text.empty() && header > 0) --end;
    lines_.erase(lines_.begin() + header, lines_.begin() + static_cast<std::ptrdiff_t>(end));
    changed_ = true;
}

void IniDocument::ArrangeSection(const std::string& section, const std::vector<std::string>& keys) {
    const long header = FindSection(section);
    if (header < 0) return;
    const auto first = static_cast<size_t>(header) + 1;
    const size_t end = SectionEnd(static_cast<size_t>(header));
    std::vector<bool> taken(end - first, false);
    // As FindEntry, among the lines not placed yet.
    auto find = [&](const std::string& key) -> long {
        for (const bool loose : {false, true}) {
            for (size_t i = first; i < end; ++i) {
                const std::string_view line = lines_[i].text;
                if (taken[i - first]) continue;
                if (loose ? !Trim(line).empty() && EqualsIgnoreCase(KeyOf(line), Trim(key))
                          : IsEntryKeyed(line, key))
                    return static_cast<long>(i);
            }
        }
        return -1;
    };
    std::vector<size_t> picked;
    for (const std::string& key : keys) {
        const long at = find(key);
        if (at < 0) continue;
        taken[static_cast<size_t>(at) - first] = true;
        picked.push_back(static_cast<size_t>(at));
    }
    std::vector<size_t> slots = picked;
    std::sort(slots.begin(), slots.end());
    if (slots == picked) return;
    std::vector<Line> moved;
    moved.reserve(picked.size());
    for (size_t at : picked) moved.push_back(lines_[at]);
    for (size_t i = 0; i < slots.size(); ++i) lines_[slots[i]] = std::move(moved[i]);
    changed_ = true;
}

void IniDocument::MoveKey(const std::string& section, const std::string& key, const std::string& toSection) {
    const long header = FindSection(section);
    if (header < 0) return;
    const long at = FindEntry(static_cast<size_t>(header), key);
    if (at < 0) return;
    // The line goes as it stands, bytes and all.
    Line line = std::move(lines_[static_cast<size_t>(at)]);
    lines_.erase(lines_.begin() + at);
    changed_ = true;
    long target = FindSection(toSection);
    if (target < 0) target = static_cast<long>(AppendSection(toSection));
    const size_t to = AfterLastEntry(static_cast<size_t>(target));
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(to), std::move(line));
}

void IniDocument::RenameKey(const std::string& section, const std::string& key, const std::string& newKey) {
    const long header = FindSection(section);
    if (header < 0) return;
    const long at = FindEntry(static_cast<size_t>(header), key);
    if (at < 0) return;
    const std::string& text = lines_[static_cast<size_t>(at)].text;
    const size_t eq = text.find('=');
    // The whole text before "=" is the key the loader reads.
    Rewrite(static_cast<size_t>(at), newKey + (eq == std::string::npos ? std::string("=") : text.substr(eq)));
}

void IniDocument::RenameSection(const std::string& section, const std::string& newName) {
    const long header = FindSection(section);
    if (header < 0) return;
    Rewrite(static_cast<size_t>(header), "[" + newName + "]");
}

std::string IniDocument::Serialize(IAnsiCodePage& ansi) {
    auto write = [&](bool reencode) -> std::optional<std::string> {
        std::string out(ByteOrderMark(encoding_));
        const std::string lineEnd = LineEnd(encoding_);
        for (size_t i = 0; i < lines_.size(); ++i) {
            if (i > 0) out += lineEnd;
            const Line& line = lines_[i];
            if (!line.edited && !reencode) {
                out += line.raw;
                continue;
            }
            const std::optional<std::string> bytes = EncodeLine(line.text, encoding_, ansi);
            if (!bytes) return std::nullopt;
            out += *bytes;
        }
        return out;
    };
    if (std::optional<std::string> bytes = write(false)) return *bytes;
    // The code page cannot hold a new name: the whole file goes Unicode.
    encoding_ = TextEncoding::Utf16Le;
    return *write(true);
}

}  // namespace lark
