#pragma once

#include <string>
#include <string_view>

// Chat lines travel as Windows text: code page 1252, every line break CR LF. Inside the
// program they are UTF-8 with LF breaks.

// A line as it goes on the wire. CR LF, a lone CR and a lone LF each become one CR LF;
// characters outside the code page become "?".
std::string ChatLineToWire(std::string_view utf8);

// A received line as the history shows it: CR LF and a lone CR become LF.
std::string ChatLineFromWire(std::string_view cp1252);
