#include "SocketTable.h"
#include "SocketDispatcher.h"

#include <QCoreApplication>

#include <climits>

namespace winsock {

SocketTable &SocketTable::instance()
{
    static SocketTable table;
    return table;
}

SocketTable::SocketTable() = default;
SocketTable::~SocketTable() = default;

void SocketTable::stop()
{
    if (startCount_ == 0 || --startCount_ > 0)
        return;
    // Taken out first: closing may not meet a half-emptied table.
    auto entries = std::move(entries_);
    entries_.clear();
    entries.clear();
    // Gone with the events still posted to it, and before the application object goes.
    dispatcher_.reset();
}

SOCKET SocketTable::add(int fd, SocketEntry::State state)
{
    if (lastHandle_ == INT_MAX)
        return INVALID_SOCKET;
    const SOCKET handle = ++lastHandle_;
    entries_.emplace(handle, std::make_unique<SocketEntry>(handle, fd, state));
    return handle;
}

SocketEntry *SocketTable::find(SOCKET handle) const
{
    const auto it = entries_.find(handle);
    return it == entries_.end() ? nullptr : it->second.get();
}

bool SocketTable::remove(SOCKET handle)
{
    const auto it = entries_.find(handle);
    if (it == entries_.end())
        return false;
    const std::unique_ptr<SocketEntry> entry = std::move(it->second);
    entries_.erase(it);
    return true; // the entry closes its socket here
}

void SocketTable::post(SocketMessage *message)
{
    if (!dispatcher_)
        dispatcher_ = std::make_unique<SocketDispatcher>();
    QCoreApplication::postEvent(dispatcher_.get(), message);
}

QObject *SocketTable::target(const SocketMessage &message) const
{
    const SocketEntry *entry = find(message.socket());
    if (!entry)
        return nullptr;
    const SocketEntry::Registration &registration = entry->registration();
    if (registration.id != message.registration() || registration.mask == 0)
        return nullptr;
    return registration.window;
}

void SocketTable::failNext(std::string_view call, int error)
{
    failures_.emplace(std::string(call), error);
}

int SocketTable::takeFailure(std::string_view call)
{
    // Several failures of one call come in the order they were asked for.
    const auto it = failures_.lower_bound(call);
    if (it == failures_.end() || it->first != call)
        return 0;
    const int error = it->second;
    failures_.erase(it);
    return error;
}

} // namespace winsock
