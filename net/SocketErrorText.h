#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The English text for a Windows Sockets error code; "Not a WinSock error" for any other code.
std::string_view SocketErrorText(std::int32_t code);

// The text of the socket error box: "Error <code> in function <where>", CR LF, the code's text.
std::string SocketErrorMessage(std::int32_t code, std::string_view where);
