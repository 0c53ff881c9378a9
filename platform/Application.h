#pragma once

#include "KeyRepeatGuard.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QHash>
#include <QTranslator>

#include <exception>

// Cursor numbers of the application's cursor table.
constexpr int crHand = 1;

// The application object: its title, its cursor table, the quit request and the standard
// error box for a failure that escapes an event handler.
class TApplication : public QApplication
{
    Q_OBJECT

public:
    TApplication(int &argc, char **argv);

    static TApplication *instance();

    QString Title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }

    QCursor Cursor(int number) const;
    void setCursor(int number, const QCursor &cursor);

    // Posts the quit request. When it is met, every modal loop and the main loop end.
    void Terminate();
    bool Terminated() const { return m_terminated; }

    // The main message loop: runs until the quit request; if the request came before the
    // loop started, it handles what is pending once and ends.
    int Run();

    void ShowException(const std::exception &error);

    // Runs an event handler. A failure that escapes it shows the standard error box and the
    // program carries on; caught here, it never unwinds through the toolkit's own frames.
    template <typename Handler>
    static void Protect(Handler &&handler)
    {
        try {
            handler();
        } catch (const std::exception &error) {
            instance()->ShowException(error);
        }
    }

    // The last resort for a failure no handler protected against.
    bool notify(QObject *receiver, QEvent *event) override;

    // Before the application object exists: asks for the X11 platform (XWayland on a Wayland
    // session), on which windows can be placed, unless the user chose a platform. Whether it
    // set the preference.
    static bool PreferX11();
    // What QT_QPA_PLATFORM should become, given what it is and DISPLAY; empty: leave it.
    static QByteArray preferredPlatform(const QByteArray &requested, const QByteArray &display);

    // Program file name without its folder, cut at its first dot, every letter after the
    // first in lower case.
    static QString defaultTitle(const QString &programPath);

protected:
    bool event(QEvent *event) override;

private:
    QString m_title;
    QHash<int, QCursor> m_cursors;
    QTranslator m_qtTexts;
    bool m_terminated = false;
    // Our own loop rather than exec(): QCoreApplication::exit() would keep every later modal
    // loop from running, and the boxes shown at exit need one.
    QEventLoop m_mainLoop;
    KeyRepeatGuard m_keyRepeatGuard;
};
