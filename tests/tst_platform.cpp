// The platform layer: the preferred display platform and message boxes.
#include "TestSupport.h"

#include "platform/MessageBox.h"

#include <QAbstractButton>

class tst_Platform : public QObject
{
    Q_OBJECT

private slots:
    void preferredPlatform_data()
    {
        QTest::addColumn<QByteArray>("requested");
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("platform"); // empty: left as it is

        QTest::newRow("X11 or XWayland there")
            << QByteArray() << QByteArray(":0") << QByteArray("xcb;wayland");
        QTest::newRow("the user's choice stands")
            << QByteArray("wayland") << QByteArray(":0") << QByteArray();
        QTest::newRow("no X server") << QByteArray() << QByteArray() << QByteArray();
    }

    void preferredPlatform()
    {
        QFETCH(QByteArray, requested);
        QFETCH(QByteArray, display);
        QTEST(TApplication::preferredPlatform(requested, display), "platform");
    }

    void messageBox_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("caption"); // none: the application title
        QTest::addColumn<int>("result");

        QTest::newRow("OK") << MB_OK << QString("Titel") << IDOK;
        QTest::newRow("yes") << MB_YESNO << QString("Frage") << IDYES;
        QTest::newRow("no, stop icon") << (MB_YESNO | MB_ICONSTOP) << QString() << IDNO;
    }

    void messageBox()
    {
        QFETCH(int, style);
        QFETCH(QString, caption);
        QFETCH(int, result);
        TApplication::instance()->setTitle("Anwendung");
        // A peer's name is shown as it came, brackets and all.
        const QString text = "<b>Bob</b> & Co";
        QStringList shown; // caption, text
        QMessageBox::Icon icon{};
        bool plain = false;
        bool closeBox = false;
        bool waited = false;
        ModalAnswerer answerer([&](QWidget *modal) {
            auto box = qobject_cast<QMessageBox *>(modal);
            // Anything else is closed unanswered, so that the checks below fail instead of
            // hanging.
            if (!box)
                return void(modal->close());
            shown = {box->windowTitle(), box->text()};
            icon = box->icon();
            plain = box->textFormat() == Qt::PlainText;
            // Escape answers OK; a Yes/No box has no close box and waits for a button.
            closeBox = box->windowFlags() & Qt::WindowCloseButtonHint;
            QTest::keyClick(box, Qt::Key_Escape);
            box->close();
            waited = box->isVisible();
            if (waited)
                box->button(result == IDYES ? QMessageBox::Yes : QMessageBox::No)->click();
        });
        QCOMPARE(MessageBox(text, caption, style), result);
        QCOMPARE(shown, QStringList({caption.isNull() ? "Anwendung" : caption, text}));
        QVERIFY(plain);
        QCOMPARE(icon, style & MB_ICONSTOP ? QMessageBox::Critical : QMessageBox::NoIcon);
        QCOMPARE(closeBox, result == IDOK);
        QCOMPARE(waited, result != IDOK);
    }
};

DROPSTONE_TEST_MAIN(tst_Platform)
#include "tst_platform.moc"
