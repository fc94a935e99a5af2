#pragma once
// The forms a text file of the program (the catalogue, settings.ini) can
// take on disk, and their decoding to the core's UTF-8.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lark {

// No byte-order mark means the system's ANSI code page, as every catalogue
// was written before the program learned Unicode.
enum class TextEncoding { Ansi, Utf8, Utf16Le };

// The system's ANSI code page.
class IAnsiCodePage {
public:
    virtual ~IAnsiCodePage() = default;
    virtual std::string ToUtf8(std::string_view ansi) = 0;
    // nullopt when a character has no exact form in the code page: a
    // best-fit look-alike or a "?" would change the name.
    virtual std::optional<std::string> FromUtf8(std::string_view utf8) = 0;
};

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
inline constexpr std::string_view kUtf16LeBom = "\xFF\xFE";

// The encoding its first bytes announce.
TextEncoding DetectEncoding(std::string_view bytes);
std::string_view ByteOrderMark(TextEncoding encoding);

// A file's lines, split at CR LF in the file's own encoding (so a CR LF
// byte pair inside a UTF-16 character is no line break), each as UTF-8 and
// as the bytes it was stored as. Content ending in CR LF has a last, empty
// line; an empty file has none.
struct TextLines {
    TextEncoding encoding = TextEncoding::Ansi;
    std::vector<std::string> text;
    std::vector<std::string> raw;
};
TextLines SplitTextLines(std::string_view bytes, IAnsiCodePage& ansi);

// The whole file as UTF-8 text with CR LF line ends, the mark removed.
std::string DecodeText(std::string_view bytes, IAnsiCodePage& ansi);

// One line (no line end) in an encoding; nullopt when ANSI cannot hold it.
std::optional<std::string> EncodeLine(std::string_view utf8, TextEncoding encoding, IAnsiCodePage& ansi);
// The line end in an encoding.
std::string LineEnd(TextEncoding encoding);

}  // namespace lark
