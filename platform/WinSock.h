#pragma once

#include <algorithm>
#include <bit>
#include <climits>
#include <cstddef>
#include <cstdint>

class QObject;

// Windows Sockets 1.1 as the program knows it, over POSIX sockets. Socket events reach the
// registered window as posted SocketMessage events. Everything here belongs to the GUI thread,
// except that look-up results and the last error are kept per thread.
// This header must stay free of the POSIX socket headers, so that `using namespace winsock;`
// leaves no ambiguity for socket(), send(), htons() and the constants.
namespace winsock {

using SOCKET = int;
using u_short = std::uint16_t;
using u_long = std::uint32_t;

constexpr SOCKET INVALID_SOCKET = -1;
constexpr int SOCKET_ERROR = -1;

constexpr int AF_INET = 2;
constexpr int SOCK_STREAM = 1;
constexpr u_long INADDR_ANY = 0;
constexpr u_long INADDR_NONE = 0xffffffff;
constexpr int MSG_PEEK = 2;

constexpr long FD_READ = 1;
constexpr long FD_WRITE = 2;
constexpr long FD_OOB = 4;
constexpr long FD_ACCEPT = 8;
constexpr long FD_CONNECT = 16;
constexpr long FD_CLOSE = 32;
constexpr unsigned WM_USER = 1024;

constexpr int WSAEINTR = 10004;
constexpr int WSAEBADF = 10009;
constexpr int WSAEACCES = 10013;
constexpr int WSAEFAULT = 10014;
constexpr int WSAEINVAL = 10022;
constexpr int WSAEMFILE = 10024;
constexpr int WSAEWOULDBLOCK = 10035;
constexpr int WSAEINPROGRESS = 10036;
constexpr int WSAEALREADY = 10037;
constexpr int WSAENOTSOCK = 10038;
constexpr int WSAEDESTADDRREQ = 10039;
constexpr int WSAEMSGSIZE = 10040;
constexpr int WSAEPROTOTYPE = 10041;
constexpr int WSAENOPROTOOPT = 10042;
constexpr int WSAEPROTONOSUPPORT = 10043;
constexpr int WSAESOCKTNOSUPPORT = 10044;
constexpr int WSAEOPNOTSUPP = 10045;
constexpr int WSAEPFNOSUPPORT = 10046;
constexpr int WSAEAFNOSUPPORT = 10047;
constexpr int WSAEADDRINUSE = 10048;
constexpr int WSAEADDRNOTAVAIL = 10049;
constexpr int WSAENETDOWN = 10050;
constexpr int WSAENETUNREACH = 10051;
constexpr int WSAENETRESET = 10052;
constexpr int WSAECONNABORTED = 10053;
constexpr int WSAECONNRESET = 10054;
constexpr int WSAENOBUFS = 10055;
constexpr int WSAEISCONN = 10056;
constexpr int WSAENOTCONN = 10057;
constexpr int WSAESHUTDOWN = 10058;
constexpr int WSAETOOMANYREFS = 10059;
constexpr int WSAETIMEDOUT = 10060;
constexpr int WSAECONNREFUSED = 10061;
constexpr int WSAELOOP = 10062;
constexpr int WSAENAMETOOLONG = 10063;
constexpr int WSAEHOSTDOWN = 10064;
constexpr int WSAEHOSTUNREACH = 10065;
constexpr int WSAENOTEMPTY = 10066;
constexpr int WSAEPROCLIM = 10067;
constexpr int WSAEUSERS = 10068;
constexpr int WSAEDQUOT = 10069;
constexpr int WSAESTALE = 10070;
constexpr int WSAEREMOTE = 10071;
constexpr int WSASYSNOTREADY = 10091;
constexpr int WSAVERNOTSUPPORTED = 10092;
constexpr int WSANOTINITIALISED = 10093;
constexpr int WSAHOST_NOT_FOUND = 11001;
constexpr int WSATRY_AGAIN = 11002;
constexpr int WSANO_RECOVERY = 11003;
constexpr int WSANO_DATA = 11004;

struct in_addr
{
    u_long s_addr; // network byte order
};

struct sockaddr_in
{
    short sin_family;
    u_short sin_port; // network byte order
    in_addr sin_addr;
    char sin_zero[8];
};
static_assert(sizeof(sockaddr_in) == 16);

struct hostent
{
    char *h_name;
    char **h_aliases;
    short h_addrtype;
    short h_length;
    char **h_addr_list;
};

struct servent
{
    char *s_name;
    char **s_aliases;
    short s_port; // network byte order
    char *s_proto;
};

struct protoent
{
    char *p_name;
    char **p_aliases;
    short p_proto;
};

struct WSADATA
{
    unsigned short wVersion;
    unsigned short wHighVersion;
    char szDescription[257];
    char szSystemStatus[129];
    unsigned short iMaxSockets;
    unsigned short iMaxUdpDg;
    char *lpVendorInfo;
};

int WSAStartup(unsigned short version, WSADATA *data);
int WSACleanup();
int WSAGetLastError();
void WSASetLastError(int error);
int WSAAsyncSelect(SOCKET s, QObject *window, unsigned message, long mask);

SOCKET socket(int af, int type, int protocol);
int bind(SOCKET s, const sockaddr_in *address, int length);
int listen(SOCKET s, int backlog);
SOCKET accept(SOCKET s, sockaddr_in *address, int *length);
int connect(SOCKET s, const sockaddr_in *address, int length);
int closesocket(SOCKET s);
int send(SOCKET s, const char *buffer, int length, int flags);
int recv(SOCKET s, char *buffer, int length, int flags);
int getsockname(SOCKET s, sockaddr_in *address, int *length);

hostent *gethostbyname(const char *name);
servent *getservbyname(const char *name, const char *protocol);
protoent *getprotobyname(const char *name);
int gethostname(char *name, int length);
// A size_t length would otherwise pick the C library's gethostname, which Qt's headers declare,
// and bypass the layer; with this overload such an unqualified call is ambiguous instead.
inline int gethostname(char *name, std::size_t length)
{
    return gethostname(name, int(std::min<std::size_t>(length, INT_MAX)));
}
u_long inet_addr(const char *text);
char *inet_ntoa(in_addr address);

constexpr u_short htons(u_short value)
{
    if constexpr (std::endian::native == std::endian::big)
        return value;
    return u_short((value << 8) | (value >> 8));
}

constexpr u_long htonl(u_long value)
{
    if constexpr (std::endian::native == std::endian::big)
        return value;
    return (value << 24) | ((value << 8) & 0xff0000) | ((value >> 8) & 0xff00) | (value >> 24);
}

constexpr u_short ntohs(u_short value)
{
    return htons(value);
}
constexpr u_long ntohl(u_long value)
{
    return htonl(value);
}

// Test aid: the next call of the named function fails once with the given code; asked for
// again, the calls after it fail too, in order. WSAStartup returns the code; the others return
// their failure value and set WSAGetLastError.
void WSAFailNext(const char *call, int error);
void WSAClearFailures();

} // namespace winsock
