#pragma once

#include <string>
#include <string_view>

// Texts travel as Windows code page 1252 bytes. Inside the program they are UTF-8.

// Each character outside the code page, and each byte of malformed UTF-8, becomes "?".
std::string Utf8ToCp1252(std::string_view utf8);
// Total: the five bytes the code page leaves unassigned stand for the C1 controls of the same
// number, as Windows decodes them, so that they come back unchanged.
std::string Cp1252ToUtf8(std::string_view cp1252);
