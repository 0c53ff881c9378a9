// The computer opponent: a headless peer that the window starts as a child process. It
// listens on a loopback port of the system's choice, tells the parent that port as one line on
// standard output, takes one connection and plays over it like any other copy.
#include "OpponentPeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

struct LevelName
{
    std::string_view argument;
    engine::Level level;
    const char *name;
};

constexpr LevelName Levels[] = {
    {"leicht", engine::Level::Easy, "Computer (Leicht)"},
    {"mittel", engine::Level::Medium, "Computer (Mittel)"},
    {"stark", engine::Level::Strong, "Computer (Stark)"},
};

// Standard input, when it is the parent's pipe: its end means the parent is gone. A terminal
// or /dev/null says nothing about the parent.
int parentPipe()
{
    struct stat status
    {
    };
    return ::fstat(STDIN_FILENO, &status) == 0 && S_ISFIFO(status.st_mode) ? STDIN_FILENO : -1;
}

// A socket on 127.0.0.1 that listens for one connection, or -1.
int listenOnLoopback()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(fd, 1) != 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    return fd;
}

int portOf(int fd)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    return ntohs(address.sin_port);
}

// Waits for the one connection; -1 when the parent's pipe ends first.
int acceptOne(int listener, int watchFd)
{
    for (;;) {
        pollfd fds[2] = {{listener, POLLIN, 0}, {watchFd, POLLIN, 0}};
        if (::poll(fds, watchFd >= 0 ? 2 : 1, -1) < 0)
            continue;
        if (fds[1].revents != 0) {
            char bytes[256];
            if (::read(watchFd, bytes, sizeof bytes) <= 0)
                return -1;
        }
        if (fds[0].revents != 0) {
            const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0)
                return fd;
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    const LevelName *chosen = nullptr;
    for (const LevelName &level : Levels) {
        if (argc == 2 && argv[1] == level.argument)
            chosen = &level;
    }
    if (!chosen) {
        std::fprintf(stderr, "usage: %s leicht|mittel|stark\n", argv[0]);
        return 2;
    }

    // The opponent never outlives the program that started it, however that ends. A parent
    // that died before the request was made is seen as a new parent.
    const pid_t parent = ::getppid();
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent)
        return 1;
    ::signal(SIGPIPE, SIG_IGN);
    const int watchFd = parentPipe();

    const int listener = listenOnLoopback();
    if (listener < 0) {
        std::perror("dropstone-opponent: listen");
        return 1;
    }
    std::printf("%d\n", portOf(listener));
    std::fflush(stdout);

    const int connection = acceptOne(listener, watchFd);
    ::close(listener);
    if (connection < 0)
        return 0;
    OpponentPeer(connection, watchFd, chosen->level, chosen->name).run();
    ::close(connection);
    return 0;
}
