#include "WinSock.h"
#include "WinSockPrivate.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <strings.h>
#include <unistd.h>

// Look-up results stay in per-thread storage until the next look-up of the same kind.
namespace winsock {

using detail::mayCall;
using detail::setLastError;

namespace {

using Address = std::array<char, 4>; // network byte order

// Strings and pointer lists that a returned record points into.
struct NameList
{
    std::vector<std::string> names;
    std::vector<char *> pointers;

    char **fill(char **source)
    {
        names.clear();
        for (; source && *source; ++source)
            names.emplace_back(*source);
        pointers.clear();
        for (std::string &name : names)
            pointers.push_back(name.data());
        pointers.push_back(nullptr);
        return pointers.data();
    }
};

struct HostStore
{
    std::string name;
    std::vector<Address> addresses;
    std::vector<char *> addressPointers;
    NameList aliases;
    hostent record{};
};

struct ServiceStore
{
    std::string name;
    std::string protocol;
    NameList aliases;
    servent record{};
};

struct ProtocolStore
{
    std::string name;
    NameList aliases;
    protoent record{};
};

thread_local HostStore hostStore;
thread_local ServiceStore serviceStore;
thread_local ProtocolStore protocolStore;
thread_local char dottedText[16];

// Windows always knows these, whatever the system's protocol file holds.
struct KnownProtocol
{
    const char *name;
    short number;
};
constexpr KnownProtocol knownProtocols[] = {{"ip", 0}, {"icmp", 1}, {"tcp", 6}, {"udp", 17}};

// Empty, with errno set, when the system has none to give.
std::string localHostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

void addOnce(std::vector<Address> &list, const Address &address)
{
    if (std::find(list.begin(), list.end(), address) == list.end())
        list.push_back(address);
}

// The IPv4 addresses of the interfaces that are up, loopback ones last: the first is one a
// peer on another machine can reach, as on Windows. Empty when there are none to give.
std::vector<Address> interfaceAddresses()
{
    ::ifaddrs *interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0)
        return {};
    std::vector<Address> outward;
    std::vector<Address> loopback;
    for (const ::ifaddrs *entry = interfaces; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET ||
            !(entry->ifa_flags & IFF_UP))
            continue;
        Address bytes;
        const auto *address = reinterpret_cast<const ::sockaddr_in *>(entry->ifa_addr);
        std::memcpy(bytes.data(), &address->sin_addr.s_addr, 4);
        addOnce(bytes[0] == 127 ? loopback : outward, bytes);
    }
    ::freeifaddrs(interfaces);
    for (const Address &bytes : loopback)
        addOnce(outward, bytes);
    return outward;
}

// The official name and IPv4 addresses the resolver gives for name; 0 or the error.
int resolve(const std::string &name, std::string &official, std::vector<Address> &addresses)
{
    ::addrinfo hints{};
    hints.ai_family = PF_INET;
    hints.ai_socktype = ::SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    ::addrinfo *found = nullptr;
    if (const int result = ::getaddrinfo(name.c_str(), nullptr, &hints, &found))
        return detail::errorFromLookup(result);
    official = found->ai_canonname ? found->ai_canonname : name;
    for (const ::addrinfo *info = found; info; info = info->ai_next) {
        if (info->ai_family != PF_INET)
            continue;
        Address bytes;
        const auto *address = reinterpret_cast<const ::sockaddr_in *>(info->ai_addr);
        std::memcpy(bytes.data(), &address->sin_addr.s_addr, 4);
        addOnce(addresses, bytes);
    }
    ::freeaddrinfo(found);
    return addresses.empty() ? WSANO_DATA : 0;
}

} // namespace

hostent *gethostbyname(const char *name)
{
    if (!mayCall("gethostbyname"))
        return nullptr;
    const std::string own = localHostName();
    // No name means this machine, as on Windows.
    const bool isOwn = !name || !*name || (!own.empty() && ::strcasecmp(name, own.c_str()) == 0);
    const std::string query = isOwn ? own : std::string(name);
    if (query.empty()) {
        setLastError(WSANO_RECOVERY);
        return nullptr;
    }
    std::string official = query;
    std::vector<Address> resolved;
    const int error = resolve(query, official, resolved);
    // The resolver maps the own name to a loopback address (127.0.1.1 on Debian), of no use to
    // a peer elsewhere; the interfaces tell what it can reach.
    std::vector<Address> addresses = isOwn ? interfaceAddresses() : std::vector<Address>{};
    if (addresses.empty()) {
        if (error) {
            setLastError(error);
            return nullptr;
        }
        addresses = std::move(resolved);
    }
    // Filled only now, so that a failed look-up leaves the previous record as it was.
    HostStore &store = hostStore;
    store.name = std::move(official);
    store.addresses = std::move(addresses);
    store.addressPointers.clear();
    for (Address &bytes : store.addresses)
        store.addressPointers.push_back(bytes.data());
    store.addressPointers.push_back(nullptr);
    store.record.h_name = store.name.data();
    store.record.h_aliases = store.aliases.fill(nullptr);
    store.record.h_addrtype = AF_INET;
    store.record.h_length = 4;
    store.record.h_addr_list = store.addressPointers.data();
    return &store.record;
}

servent *getservbyname(const char *name, const char *protocol)
{
    if (!mayCall("getservbyname"))
        return nullptr;
    if (!name) {
        setLastError(WSAEFAULT);
        return nullptr;
    }
    std::vector<char> buffer(1024);
    ::servent entry{};
    ::servent *found = nullptr;
    while (::getservbyname_r(name, protocol, &entry, buffer.data(), buffer.size(), &found) ==
           ERANGE)
        buffer.resize(buffer.size() * 2);
    if (!found) {
        setLastError(WSANO_DATA);
        return nullptr;
    }
    ServiceStore &store = serviceStore;
    store.name = found->s_name;
    store.protocol = found->s_proto;
    store.record.s_name = store.name.data();
    store.record.s_aliases = store.aliases.fill(found->s_aliases);
    store.record.s_port = short(found->s_port); // already in network order
    store.record.s_proto = store.protocol.data();
    return &store.record;
}

protoent *getprotobyname(const char *name)
{
    if (!mayCall("getprotobyname"))
        return nullptr;
    if (!name) {
        setLastError(WSAEFAULT);
        return nullptr;
    }
    std::vector<char> buffer(1024);
    ::protoent entry{};
    ::protoent *found = nullptr;
    while (::getprotobyname_r(name, &entry, buffer.data(), buffer.size(), &found) == ERANGE)
        buffer.resize(buffer.size() * 2);
    ProtocolStore &store = protocolStore;
    if (found) {
        store.name = found->p_name;
        store.record.p_aliases = store.aliases.fill(found->p_aliases);
        store.record.p_proto = short(found->p_proto);
    } else {
        const auto *known = std::find_if(std::begin(knownProtocols), std::end(knownProtocols),
                                         [name](const KnownProtocol &protocol) {
                                             return std::strcmp(protocol.name, name) == 0;
                                         });
        if (known == std::end(knownProtocols)) {
            setLastError(WSANO_DATA);
            return nullptr;
        }
        store.name = known->name;
        store.record.p_aliases = store.aliases.fill(nullptr);
        store.record.p_proto = known->number;
    }
    store.record.p_name = store.name.data();
    return &store.record;
}

int gethostname(char *name, int length)
{
    if (!mayCall("gethostname"))
        return SOCKET_ERROR;
    const std::string own = localHostName();
    if (own.empty()) {
        setLastError(detail::errorFromErrno(errno));
        return SOCKET_ERROR;
    }
    if (!name || length <= int(own.size())) {
        setLastError(WSAEFAULT);
        return SOCKET_ERROR;
    }
    std::memcpy(name, own.c_str(), own.size() + 1);
    return 0;
}

u_long inet_addr(const char *text)
{
    // inet_aton reads the same forms as Windows: a, a.b, a.b.c and a.b.c.d, each part
    // decimal, octal or hexadecimal.
    ::in_addr address{};
    if (!text || ::inet_aton(text, &address) == 0)
        return INADDR_NONE;
    return address.s_addr;
}

char *inet_ntoa(in_addr address)
{
    unsigned char bytes[4];
    std::memcpy(bytes, &address.s_addr, 4);
    std::snprintf(dottedText, sizeof dottedText, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2],
                  bytes[3]);
    return dottedText;
}

} // namespace winsock
