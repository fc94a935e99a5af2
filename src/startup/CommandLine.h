#pragma once
// The program's command line: files added to the bar from a script or
// Explorer's "Send to", and the bar brought forward. A second start hands
// what it was asked to the bar that runs (startup/BarRequest.h).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lark {

struct StartCommand {
    enum class Kind {
        None,   // no arguments: the bar starts, or says it runs already
        Add,    // /add PATH... [/section NAME]
        Show,   // /show [NAME]
        Usage,  // /? or a line that cannot be read: the usage is shown
    };
    Kind kind = Kind::None;
    // Add: files, folders, shortcuts or web addresses, in their order.
    std::vector<std::string> paths;
    // Add: the section to add to; Show: the section to show.
    std::optional<std::string> section;
    // Usage: what was wrong with the line, empty for /?.
    std::string problem;
};

// The arguments of a whole command line as the C run-time splits them
// (blanks separate; quotes group; backslashes escape a quote only), the
// program's name first, taken up to its closing quote or first blank.
std::vector<std::string> SplitCommandLine(std::string_view line);

// Reads the arguments after the program's name. Switches start with "/" and
// ignore letter case; paths given with no switch before them are added, as
// when files are dropped on the program.
StartCommand ParseArguments(const std::vector<std::string>& arguments);

// What the usage box says: the problem, if any, then how to call.
std::string UsageText(const StartCommand& command);

}  // namespace lark
