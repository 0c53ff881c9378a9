// The platform layer: control alignment, the application title, message boxes and the
// standard error box.
#include "TestSupport.h"

#include "platform/AlignLayout.h"
#include "platform/MessageBox.h"

#include <QAbstractButton>
#include <QPushButton>

#include <stdexcept>

class tst_Platform : public QObject
{
    Q_OBJECT

private slots:
    void alignPlaces_data();
    void alignPlaces();
    void defaultTitle_data();
    void defaultTitle();
    void messageBox_data();
    void messageBox();
    void failureInHandler();
};

using Places = std::vector<AlignLayout::Place>;
Q_DECLARE_METATYPE(Places)

void tst_Platform::alignPlaces_data()
{
    QTest::addColumn<QRect>("area");
    QTest::addColumn<Places>("before");
    QTest::addColumn<QList<QRect>>("after");

    const QRect window(0, 0, 565, 374);
    QTest::newRow("main window")
        << window
        << Places{{alBottom, {0, 0, 10, 19}}, {alRight, {0, 0, 165, 10}}, {alClient, {0, 0, 1, 1}}}
        << QList<QRect>{{0, 355, 565, 19}, {400, 0, 165, 355}, {0, 0, 400, 355}};
    QTest::newRow("order of kinds, not of the list") << QRect(0, 0, 100, 100)
                                                     << Places{{alClient, {}},
                                                               {alRight, {0, 0, 10, 5}},
                                                               {alLeft, {0, 0, 20, 5}},
                                                               {alBottom, {0, 0, 5, 30}},
                                                               {alTop, {0, 0, 5, 10}}}
                                                     << QList<QRect>{{20, 10, 70, 60},
                                                                     {90, 10, 10, 60},
                                                                     {0, 10, 20, 60},
                                                                     {0, 70, 100, 30},
                                                                     {0, 0, 100, 10}};
    QTest::newRow("two on top keep their order by position")
        << QRect(0, 0, 50, 50) << Places{{alTop, {0, 20, 5, 7}}, {alTop, {0, 3, 5, 4}}}
        << QList<QRect>{{0, 4, 50, 7}, {0, 0, 50, 4}};
    QTest::newRow("inset area") << QRect(6, 1, 158, 353)
                                << Places{{alBottom, {0, 0, 5, 59}}, {alClient, {}}}
                                << QList<QRect>{{6, 295, 158, 59}, {6, 1, 158, 294}};
    QTest::newRow("no room left") << QRect(0, 0, 100, 20)
                                  << Places{{alBottom, {0, 0, 5, 30}}, {alClient, {}}}
                                  << QList<QRect>{{0, -10, 100, 30}, {0, 0, 100, 0}};
    QTest::newRow("alNone untouched")
        << QRect(0, 0, 100, 20) << Places{{alNone, {3, 4, 5, 6}}} << QList<QRect>{{3, 4, 5, 6}};
}

void tst_Platform::alignPlaces()
{
    QFETCH(QRect, area);
    QFETCH(Places, before);
    QFETCH(QList<QRect>, after);

    Places places = before;
    AlignLayout::alignPlaces(places, area);
    QList<QRect> result;
    for (const auto &place : places)
        result << place.bounds;
    QCOMPARE(result, after);
}

void tst_Platform::defaultTitle_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");

    QTest::newRow("folder dropped") << "/usr/games/dropstone"
                                    << "dropstone";
    QTest::newRow("cut at the first dot") << "/opt/DROPSTONE.EXE.bak"
                                          << "Dropstone";
    QTest::newRow("first letter kept") << "dropStone"
                                       << "dropstone";
    QTest::newRow("dot in the folder") << "/home/a.b/Game.x"
                                       << "Game";
    QTest::newRow("leading dot") << "/bin/.hidden"
                                 << "";
    QTest::newRow("empty") << ""
                           << "";
}

void tst_Platform::defaultTitle()
{
    QFETCH(QString, path);
    QFETCH(QString, title);
    QCOMPARE(TApplication::defaultTitle(path), title);
}

void tst_Platform::messageBox_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("press"); // the button's role, or "escape"
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("icon");

    QTest::newRow("plain OK") << 0 << "Titel"
                              << "ok" << 1 << 1 << int(QMessageBox::NoIcon);
    QTest::newRow("escape is OK") << 0 << ""
                                  << "escape" << 1 << 1 << int(QMessageBox::NoIcon);
    QTest::newRow("stop icon") << 16 << ""
                               << "ok" << 1 << 1 << int(QMessageBox::Critical);
    QTest::newRow("yes") << 4 << "Frage"
                         << "yes" << 6 << 2 << int(QMessageBox::NoIcon);
    QTest::newRow("no, stop icon") << 20 << ""
                                   << "no" << 7 << 2 << int(QMessageBox::Critical);
}

void tst_Platform::messageBox()
{
    QFETCH(int, style);
    QFETCH(QString, caption);
    QFETCH(QString, press);
    QFETCH(int, result);
    QFETCH(int, buttons);
    QFETCH(int, icon);

    TApplication::instance()->setTitle("Anwendung");
    BoxSeen seen{};
    int buttonCount = 0;
    ModalAnswerer answerer([&](QWidget *modal) {
        auto box = qobject_cast<QMessageBox *>(modal);
        if (!box) {
            modal->close();
            return;
        }
        seen = describeBox(box);
        QVERIFY(box->isModal());
        QCOMPARE(box->windowModality(), Qt::ApplicationModal);
        buttonCount = int(box->buttons().size());
        if (press == "escape") {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        const auto which = press == "yes"  ? QMessageBox::Yes
                           : press == "no" ? QMessageBox::No
                                           : QMessageBox::Ok;
        box->button(which)->click();
    });
    const int answer = MessageBox("Text", caption.isEmpty() ? QString() : caption, style);
    QCOMPARE(answer, result);
    QCOMPARE(seen.caption, caption.isEmpty() ? QString("Anwendung") : caption);
    QCOMPARE(seen.text, QString("Text"));
    QCOMPARE(int(seen.icon), icon);
    QCOMPARE(buttonCount, buttons);
}

void tst_Platform::failureInHandler()
{
    TApplication::instance()->setTitle("Anwendung");
    QPushButton button("Los");
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        TApplication::Protect([&] {
            if (++clicks == 1)
                throw std::runtime_error("'x' is not a valid integer value");
        });
    });
    QList<BoxSeen> boxes;
    ModalAnswerer answerer([&](QWidget *modal) {
        if (auto box = qobject_cast<QMessageBox *>(modal))
            boxes << describeBox(box);
        modal->close();
    });
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button, 5000));
    QTest::mouseClick(&button, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(boxes.size(), 1, 5000);
    QCOMPARE(boxes[0].caption, QString("Anwendung"));
    QCOMPARE(boxes[0].text, QString("'x' is not a valid integer value."));
    QCOMPARE(boxes[0].icon, QMessageBox::Critical);
    // The program carries on: the button still works.
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicks, 2);
    QCOMPARE(boxes.size(), 1);
}

DROPSTONE_TEST_MAIN(tst_Platform)
#include "tst_platform.moc"
