#include "startup/StartWithWindows.h"

#include <algorithm>
#include <string_view>

#include "base/Unicode.h"

namespace lark {
namespace {

std::string NormalisePath(std::string_view path) {
    std::string out(path);
    std::replace(out.begin(), out.end(), '/', '\\');
    return out;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Whether a command line starts the program, as the shell reads it: a
// quoted path, or an unquoted one (perhaps with blanks) and arguments.
bool CommandStarts(std::string_view command, const std::string& exePath) {
    command = TrimBlanks(command);
    const std::string exe = NormalisePath(exePath);
    if (exe.empty() || command.empty()) return false;
    if (command.front() == '"') {
        command.remove_prefix(1);
        return EqualsIgnoreCase(NormalisePath(command.substr(0, command.find('"'))), exe);
    }
    const std::string whole = NormalisePath(command);
    if (EqualsIgnoreCase(whole, exe)) return true;
    return whole.size() > exe.size() && whole[exe.size()] == ' ' &&
           EqualsIgnoreCase(std::string_view(whole).substr(0, exe.size()), exe);
}

}  // namespace

std::string RunCommandFor(const std::string& exePath) { return "\"" + exePath + "\""; }

bool StartsWithWindows(IRunKey& run, const std::string& exePath) {
    const std::optional<std::string> command = run.Read(kRunValueName);
    return command && CommandStarts(*command, exePath);
}

void SetStartWithWindows(IRunKey& run, const std::string& exePath, bool on) {
    if (on) {
        run.Write(kRunValueName, RunCommandFor(exePath));
    } else if (StartsWithWindows(run, exePath)) {
        run.Remove(kRunValueName);
    }
}

bool ShowsInSendTo(ISendToFolder& sendTo, const std::string& exePath) {
    const std::optional<LinkTarget> link = sendTo.Read(kSendToName);
    return link && !exePath.empty() && EqualsIgnoreCase(NormalisePath(link->target), NormalisePath(exePath)) &&
           EqualsIgnoreCase(TrimBlanks(link->arguments), kSendToArguments);
}

void SetShowInSendTo(ISendToFolder& sendTo, const std::string& exePath, bool on) {
    if (on) {
        sendTo.Write(kSendToName, LinkTarget{exePath, kSendToArguments});
        return;
    }
    const std::optional<LinkTarget> link = sendTo.Read(kSendToName);
    if (link && EqualsIgnoreCase(NormalisePath(link->target), NormalisePath(exePath))) sendTo.Remove(kSendToName);
}

}  // namespace lark
