// The platform layer: control alignment, the application title and platform, message boxes.
#include "TestSupport.h"

#include "platform/AlignLayout.h"
#include "platform/MessageBox.h"

#include <QAbstractButton>

using Places = std::vector<AlignLayout::Place>;
Q_DECLARE_METATYPE(Places)

class tst_Platform : public QObject
{
    Q_OBJECT

private slots:
    void alignPlaces_data()
    {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<Places>("places");
        QTest::addColumn<QList<QRect>>("after");

        const Places places{{alClient, {}},          {alRight, {0, 0, 10, 5}},
                            {alLeft, {0, 0, 20, 5}}, {alBottom, {0, 0, 5, 30}},
                            {alTop, {0, 0, 5, 10}},  {alNone, {3, 4, 5, 6}}};
        const QList<QRect> after{{20, 10, 70, 60}, {90, 10, 10, 60}, {0, 10, 20, 60},
                                 {0, 70, 100, 30}, {0, 0, 100, 10},  {3, 4, 5, 6}};
        // Placed by kind, not in the order of the list.
        QTest::newRow("order of kinds; alNone left") << QRect(0, 0, 100, 100) << places << after;
        QTest::newRow("no room left")
            << QRect(0, 0, 100, 20) << Places{{alBottom, {0, 0, 5, 30}}, {alClient, {}}}
            << QList<QRect>{{0, -10, 100, 30}, {0, 0, 100, 0}};
    }

    void alignPlaces()
    {
        QFETCH(QRect, area);
        QFETCH(Places, places);
        QFETCH(QList<QRect>, after);

        AlignLayout::alignPlaces(places, area);
        QList<QRect> result;
        for (const auto &place : places)
            result << place.bounds;
        QCOMPARE(result, after);
    }

    void defaultTitle_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");

        QTest::newRow("folder dropped, only the rest lowered")
            << "/usr/games/dropStone" << QString("dropstone");
        QTest::newRow("cut at the first dot") << "/opt/DROPSTONE.EXE.bak" << QString("Dropstone");
        QTest::newRow("dot in the folder") << "/home/a.b/Game.x" << QString("Game");
        QTest::newRow("leading dot") << "/bin/.hidden" << QString();
    }

    void defaultTitle()
    {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QCOMPARE(TApplication::defaultTitle(path), title);
    }

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
        QFETCH(QByteArray, platform);
        QCOMPARE(TApplication::preferredPlatform(requested, display), platform);
    }

    void messageBox_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("stopIcon");
        QTest::addColumn<QString>("caption"); // none: the application title

        QTest::newRow("plain OK") << "Text" << 0 << 1 << false << "Titel";
        QTest::newRow("yes") << "Text" << 4 << 6 << false << "Frage";
        QTest::newRow("no, stop icon") << "Text" << 20 << 7 << true << "";
        // A peer's name is shown as it came, brackets and all.
        QTest::newRow("markup as text") << "<b>Bob</b> & Co" << 0 << 1 << false << "";
    }

    void messageBox()
    {
        QFETCH(QString, text);
        QFETCH(int, style);
        QFETCH(int, result);
        QFETCH(bool, stopIcon);
        QFETCH(QString, caption);

        TApplication::instance()->setTitle("Anwendung");
        BoxSeen seen{};
        Qt::TextFormat format = Qt::AutoText;
        int buttonCount = 0;
        bool closeBox = false;
        bool waited = false;
        ModalAnswerer answerer([&](QWidget *modal) {
            auto box = qobject_cast<QMessageBox *>(modal);
            // Anything else is closed unanswered, so that the checks below fail instead of
            // hanging.
            if (!box)
                return void(modal->close());
            seen = describeBox(box);
            format = box->textFormat();
            QCOMPARE(box->windowModality(), Qt::ApplicationModal);
            buttonCount = int(box->buttons().size());
            // Escape answers OK; a Yes/No box has no close box and waits for a button.
            closeBox = box->windowFlags() & Qt::WindowCloseButtonHint;
            QTest::keyClick(box, Qt::Key_Escape);
            box->close();
            waited = box->isVisible();
            if (waited)
                box->button(result == 6   ? QMessageBox::Yes
                            : result == 7 ? QMessageBox::No
                                          : QMessageBox::Ok)
                    ->click();
        });
        QCOMPARE(MessageBox(text, caption.isEmpty() ? QString() : caption, style), result);
        QCOMPARE(seen.caption, caption.isEmpty() ? QString("Anwendung") : caption);
        QCOMPARE(seen.text, text);
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(seen.icon, stopIcon ? QMessageBox::Critical : QMessageBox::NoIcon);
        QCOMPARE(buttonCount, result == 1 ? 1 : 2); // OK alone, or Yes and No
        QCOMPARE(closeBox, result == 1);
        QCOMPARE(waited, result != 1);
    }
};

DROPSTONE_TEST_MAIN(tst_Platform)
#include "tst_platform.moc"
