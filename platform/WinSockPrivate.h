#pragma once

// Shared by the units of the sockets layer only.
namespace winsock::detail {

void setLastError(int code);
// The Windows Sockets number for an errno value.
int errorFromErrno(int error);
// The Windows Sockets number for a getaddrinfo result; errno is read for EAI_SYSTEM.
int errorFromLookup(int result);
// False, with the error set, when the named call must fail: the layer is not started, or a
// failure was injected for it.
bool mayCall(const char *call);

} // namespace winsock::detail
