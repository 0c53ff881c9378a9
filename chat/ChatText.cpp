#include "ChatText.h"

#include "net/Cp1252.h"

namespace {

// Every kind of line break in text becomes breakText.
std::string ReplaceBreaks(std::string_view text, std::string_view breakText)
{
    std::string result;
    result.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '\r' || ch == '\n') {
            if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            result += breakText;
        } else {
            result += ch;
        }
    }
    return result;
}

} // namespace

std::string ChatLineToWire(std::string_view utf8)
{
    return Utf8ToCp1252(ReplaceBreaks(utf8, "\r\n"));
}

std::string ChatLineFromWire(std::string_view cp1252)
{
    return ReplaceBreaks(Cp1252ToUtf8(cp1252), "\n");
}
