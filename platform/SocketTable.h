#pragma once

#include "SocketEntry.h"
#include "SocketMessage.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace winsock {

class SocketDispatcher;

// The one table of the sockets layer: start-up count, handles and their sockets, the object
// that delivers their events, and the failures injected by tests.
class SocketTable
{
public:
    static SocketTable &instance();
    ~SocketTable();

    bool started() const { return startCount_ > 0; }
    void start() { ++startCount_; }
    // The last clean-up closes every socket still open.
    void stop();

    // A fresh handle for the descriptor, or INVALID_SOCKET when none is left.
    SOCKET add(int fd, SocketEntry::State state);
    SocketEntry *find(SOCKET handle) const;
    bool remove(SOCKET handle);
    quint64 nextRegistration() { return nextRegistration_++; }

    void post(SocketMessage *message);
    // The window that should receive the event now, or null when it went stale.
    QObject *target(const SocketMessage &message) const;

    void failNext(std::string_view call, int error);
    // The injected code for the call, consumed; 0 when none.
    int takeFailure(std::string_view call);
    void clearFailures() { failures_.clear(); }

private:
    SocketTable();

    int startCount_ = 0;
    SOCKET lastHandle_ = 0; // handles are never reused within a run, clean-ups included
    quint64 nextRegistration_ = 1;
    std::map<SOCKET, std::unique_ptr<SocketEntry>> entries_;
    std::multimap<std::string, int, std::less<>> failures_;
    std::unique_ptr<SocketDispatcher> dispatcher_;
};

} // namespace winsock
