#pragma once

#include "platform/Application.h"

#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>

// A test main that runs the test object under the program's own application object.
#define DROPSTONE_TEST_MAIN(TestObject)                                                            \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        TApplication app(argc, argv);                                                              \
        TestObject test;                                                                           \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

// Answers modal windows while the code under test waits in their loops: every time a new
// modal window shows, handler is called with it. Stops when destroyed.
class ModalAnswerer : public QObject
{
public:
    explicit ModalAnswerer(std::function<void(QWidget *)> handler) : m_handler(std::move(handler))
    {
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal && modal != m_last && modal->isVisible()) {
                m_last = modal;
                m_handler(modal);
            } else if (!modal) {
                m_last = nullptr;
            }
        });
        m_timer.start(5);
    }

private:
    std::function<void(QWidget *)> m_handler;
    QTimer m_timer;
    // Guarded: the next window may take a closed one's address before any pause.
    QPointer<QWidget> m_last;
};

// Types text into widget key by key; unlike QTest::keyClicks it takes any character.
inline void typeText(QWidget *widget, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}
