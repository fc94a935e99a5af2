#include "startup/CommandLine.h"

#include "base/Texts.h"
#include "base/Unicode.h"

namespace lark {
namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

// "/x" for a letter or "?"; "//server/share" is a path.
bool IsSwitch(const std::string& argument) {
    return argument.size() >= 2 && argument[0] == '/' && argument[1] != '/';
}

// A quoted path that ends in a backslash ("C:\") reaches us with the quote
// the backslash escaped: no path holds a quote, so it was the backslash.
std::string MendedPath(std::string path) {
    if (!path.empty() && path.back() == '"') path.back() = '\\';
    return path;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> out;
    size_t i = 0;
    // The program's name knows no escapes.
    std::string name;
    if (i < line.size() && line[i] == '"') {
        const size_t close = line.find('"', i + 1);
        name = std::string(line.substr(i + 1, close == std::string_view::npos ? std::string_view::npos : close - i - 1));
        i = close == std::string_view::npos ? line.size() : close + 1;
    } else {
        while (i < line.size() && !Blank(line[i])) name += line[i++];
    }
    out.push_back(std::move(name));

    for (;;) {
        while (i < line.size() && Blank(line[i])) ++i;
        if (i >= line.size()) break;
        std::string argument;
        bool quoted = false;
        while (i < line.size() && (quoted || !Blank(line[i]))) {
            if (line[i] == '\\') {
                size_t slashes = 0;
                while (i < line.size() && line[i] == '\\') ++slashes, ++i;
                if (i < line.size() && line[i] == '"') {
                    argument.append(slashes / 2, '\\');
                    if (slashes % 2 == 1) {
                        argument += '"';
                        ++i;
                    }
                } else {
                    argument.append(slashes, '\\');
                }
                continue;
            }
            if (line[i] == '"') {
                // Two quotes inside quotes stand for one.
                if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    argument += '"';
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            argument += line[i++];
        }
        out.push_back(std::move(argument));
    }
    return out;
}

StartCommand ParseArguments(const std::vector<std::string>& arguments) {
    auto usage = [](std::string problem) {
        StartCommand command;
        command.kind = StartCommand::Kind::Usage;
        command.problem = std::move(problem);
        return command;
    };
    // Asking for help is never a mistake, wherever it stands.
    for (size_t i = 1; i < arguments.size(); ++i)
        if (arguments[i] == "/?") return usage("");

    StartCommand command;
    bool add = false;
    bool show = false;
    bool sectionGiven = false;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!IsSwitch(argument)) {
            if (show) {
                if (command.section) return usage(Text(IDS_USAGE_SHOW_ONE));
                command.section = argument;
                continue;
            }
            add = true;
            if (!argument.empty()) command.paths.push_back(MendedPath(argument));
            continue;
        }
        const std::string name = FoldCase(argument.substr(1));
        if (name == "add") {
            add = true;
        } else if (name == "show") {
            show = true;
        } else if (name == "section") {
            if (i + 1 >= arguments.size()) return usage(Text(IDS_USAGE_SECTION_NAME));
            command.section = arguments[++i];
            sectionGiven = true;
        } else {
            return usage(Text(IDS_USAGE_UNKNOWN, {argument}));
        }
        if (add && show) return usage(Text(IDS_USAGE_ADD_OR_SHOW));
    }
    if (show) {
        if (sectionGiven) return usage(Text(IDS_USAGE_SECTION_WITH_ADD));
        command.kind = StartCommand::Kind::Show;
    } else if (add) {
        if (command.paths.empty()) return usage(Text(IDS_USAGE_ADD_NEEDS));
        command.kind = StartCommand::Kind::Add;
    } else if (sectionGiven) {
        return usage(Text(IDS_USAGE_SECTION_WITH_ADD));
    }
    return command;
}

std::string UsageText(const StartCommand& command) {
    std::string text;
    if (!command.problem.empty()) text = command.problem + "\r\n\r\n";
    text += Text(IDS_USAGE);
    return text;
}

}  // namespace lark
