#pragma once

// What the benchmarks of two windows share: a clock both processes read alike, the name
// question answered, and a watch on the event loop.
#include "app/Unit4.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <utility>

namespace bench {

using Clock = std::chrono::steady_clock;

inline std::int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

inline double ms(std::int64_t ns)
{
    return double(ns) / 1e6;
}

// Takes the name question of start-up, which runs before any loop of ours.
class NameAnswerer : public QObject
{
public:
    explicit NameAnswerer(const QString &name)
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this, name] {
            if (auto dialog = qobject_cast<TForm4 *>(QApplication::activeModalWidget())) {
                dialog->Edit1()->setText(name);
                dialog->accept();
                // Its ticks would only disturb the measurements.
                m_timer.stop();
            }
        });
        m_timer.start();
    }

private:
    QTimer m_timer;
};

// Watches the event loop from a 1 ms timer: the longest time between two of its ticks.
class StallWatch : public QObject
{
public:
    std::int64_t longestNs = 0;

    StallWatch()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
    }

    void start()
    {
        m_last = nowNs();
        m_timer.start();
    }

    // Stops at the next tick, so that the gap the last event fell into counts as well.
    void stopAfterNextTick(std::function<void()> then) { m_then = std::move(then); }

private:
    void tick()
    {
        const std::int64_t now = nowNs();
        longestNs = std::max(longestNs, now - m_last);
        m_last = now;
        if (m_then) {
            m_timer.stop();
            std::exchange(m_then, nullptr)();
        }
    }

    QTimer m_timer;
    std::int64_t m_last = 0;
    std::function<void()> m_then;
};

} // namespace bench
