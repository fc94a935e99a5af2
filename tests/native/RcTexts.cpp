#include "RcTexts.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <sstream>

#include "base/Texts.h"

namespace lark::test {
namespace {

std::vector<std::string> Lines(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::map<std::string, int> TextIds() {
    std::map<std::string, int> ids;
    for (const std::string& line : Lines(LARKSPAN_SOURCE_DIR "/src/base/TextIds.h")) {
        std::istringstream words(line);
        std::string define, name;
        int id = 0;
        if (words >> define >> name >> id && define == "#define") ids[name] = id;
    }
    return ids;
}

// The first quoted string of the line as the resource compiler reads it,
// and where it ends.
std::string Quoted(const std::string& line, size_t& at) {
    size_t i = line.find('"', at);
    if (i == std::string::npos) throw std::runtime_error("no text in: " + line);
    std::string text;
    for (++i; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            if (i + 1 < line.size() && line[i + 1] == '"') {
                text += '"';
                ++i;
                continue;
            }
            at = i + 1;
            return text;
        }
        if (c == '\\' && i + 1 < line.size()) {
            const char e = line[++i];
            text += e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
            continue;
        }
        text += c;
    }
    throw std::runtime_error("unclosed text in: " + line);
}

std::string FirstWord(const std::string& line) {
    std::istringstream words(line);
    std::string word;
    words >> word;
    return word;
}

}  // namespace

RcLanguage ReadLanguage(const std::string& code) {
    const std::map<std::string, int> ids = TextIds();
    RcLanguage language;
    enum { Outside, Strings, Dialog } where = Outside;
    std::string dialog;
    for (const std::string& line : Lines(LARKSPAN_SOURCE_DIR "/resources/lang/" + code + ".rc")) {
        const std::string first = FirstWord(line);
        if (first.empty() || first.starts_with("//") || first == "BEGIN") continue;
        if (first == "STRINGTABLE") {
            where = Strings;
        } else if (line.find(" DIALOGEX ") != std::string::npos) {
            where = Dialog;
            dialog = first;
        } else if (first == "END") {
            where = Outside;
        } else if (where == Strings) {
            const auto id = ids.find(first);
            if (id == ids.end()) throw std::runtime_error("unknown text id " + first);
            size_t at = 0;
            language.strings[id->second] = Quoted(line, at);
        } else if (where == Dialog && line.find('"') != std::string::npos && first != "FONT") {
            size_t at = 0;
            RcControl control;
            control.text = Quoted(line, at);
            std::istringstream rest(line.substr(at));
            std::string id;
            rest >> id;
            if (!id.empty() && id.back() == ',') id.pop_back();
            if (first == "CAPTION") id = "CAPTION";
            else if (!id.empty() && id.front() == ',') id = id.substr(1);
            if (id.empty()) rest >> id;
            if (!id.empty() && id.back() == ',') id.pop_back();
            control.id = id;
            language.dialogs[dialog].push_back(control);
        }
    }
    return language;
}

namespace {

// What the real program loads from its resources, here English from its file.
class EnglishTexts : public ITextSource {
public:
    EnglishTexts() : english_(ReadLanguage("en")) {}
    std::string Load(int id) const override {
        const auto found = english_.strings.find(id);
        return found == english_.strings.end() ? std::string() : found->second;
    }

private:
    RcLanguage english_;
};

class EnglishEnvironment : public ::testing::Environment {
public:
    void SetUp() override { UseTexts(&texts_.emplace()); }
    void TearDown() override { UseTexts(nullptr); }

private:
    std::optional<EnglishTexts> texts_;
};

[[maybe_unused]] ::testing::Environment* const kEnglish =
    ::testing::AddGlobalTestEnvironment(new EnglishEnvironment);

}  // namespace
}  // namespace lark::test
