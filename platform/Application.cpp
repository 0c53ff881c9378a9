#include "Application.h"

#include "Announcer.h"
#include "MessageBox.h"
#include "PaintBox.h"
#include "StatusBar.h"

#include <QAccessible>
#include <QDialog>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>

namespace {

const QEvent::Type QuitRequest = QEvent::Type(QEvent::registerEventType());

} // namespace

TApplication::TApplication(int &argc, char **argv)
    : QApplication(argc, argv),
      m_title(defaultTitle(argc > 0 ? QString::fromLocal8Bit(argv[0]) : QString()))
{
    // Before any widget exists: an interface, once made, is kept for the widget's life.
    QAccessible::installFactory(&StatusBar::accessibleFactory);
    QAccessible::installFactory(&Announcer::accessibleFactory);
    QAccessible::installFactory(&TPaintBox::accessibleFactory);
    installEventFilter(&m_keyRepeatGuard);
    // The main window asks for the quit itself when it closes.
    setQuitOnLastWindowClosed(false);
    // The layouts are measured for this family. Of the readable fonts a Linux desktop has,
    // the narrow one comes closest to its widths, so that the texts fit their controls; the
    // plain one stands in where the narrow one is not installed.
    QFont::insertSubstitutions(
        QStringLiteral("MS Sans Serif"),
        {QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Liberation Sans")});
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
    // The interface is German whatever the system's language, Qt's own texts included.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    if (m_qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(&m_qtTexts);
}

TApplication *TApplication::instance()
{
    return static_cast<TApplication *>(QCoreApplication::instance());
}

QCursor TApplication::Cursor(int number) const
{
    return m_cursors.value(number, QCursor(Qt::ArrowCursor));
}

void TApplication::setCursor(int number, const QCursor &cursor)
{
    m_cursors.insert(number, cursor);
}

void TApplication::Terminate()
{
    postEvent(this, new QEvent(QuitRequest));
}

int TApplication::Run()
{
    if (!m_terminated)
        m_mainLoop.exec();
    else
        processEvents();
    // The request is served by the end of the loop.
    m_terminated = false;
    return 0;
}

void TApplication::ShowException(const std::exception &error)
{
    MessageBox(QString::fromLocal8Bit(error.what()) + QLatin1Char('.'), m_title, MB_ICONSTOP);
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        ShowException(error);
    }
    return true;
}

bool TApplication::event(QEvent *event)
{
    if (event->type() != QuitRequest)
        return QApplication::event(event);
    m_terminated = true;
    // Every modal loop ends, its dialog with the cancel result, and then the main loop.
    while (QWidget *modal = activeModalWidget()) {
        auto dialog = qobject_cast<QDialog *>(modal);
        if (!dialog)
            break;
        dialog->reject();
        if (activeModalWidget() == modal)
            break;
    }
    m_mainLoop.exit();
    return true;
}

bool TApplication::PreferX11()
{
    const QByteArray platform = preferredPlatform(qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"));
    return !platform.isEmpty() && qputenv("QT_QPA_PLATFORM", platform);
}

QByteArray TApplication::preferredPlatform(const QByteArray &requested, const QByteArray &display)
{
    // Without an X server, Qt's own choice stands; the list falls back to Wayland when the
    // X server named cannot be reached.
    if (!requested.isEmpty() || display.isEmpty())
        return {};
    return QByteArrayLiteral("xcb;wayland");
}

QString TApplication::defaultTitle(const QString &programPath)
{
    QString name = QFileInfo(programPath).fileName();
    name.truncate(name.indexOf(QLatin1Char('.')) < 0 ? name.size()
                                                     : name.indexOf(QLatin1Char('.')));
    if (name.isEmpty())
        return name;
    return name.left(1) + name.mid(1).toLower();
}
