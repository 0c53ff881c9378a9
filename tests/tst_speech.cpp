// What a screen reader is given to speak in a game against a bare peer, and when the window
// asks the desktop for the player's attention.
#include "MatchSupport.h"

#include "net/PacketText.h"
#include "platform/Announcer.h"

namespace {

// Counts the desktop's attention requests rather than making them.
class WatchedForm : public TForm1
{
public:
    int asked = 0;
    void RequestAttention() override { ++asked; }
};

const QString Ellipsis = QString(QChar(0x2026));

} // namespace

class tst_Speech : public QObject
{
    Q_OBJECT

    BoxAnswerer m_boxes;
    std::unique_ptr<WatchedForm> m_form;
    // Activated to take the activation from the form.
    std::unique_ptr<QWidget> m_elsewhere;
    RawPeer m_peer;
    QString m_name;
    QString m_chat;
    QStringList m_heard;
    qsizetype m_mark = 0;

    // Steps, separated by blanks; each waits for what it makes the window say:
    //   name, N, M3, C, D   the peer sends its name, a new game, a move into column 3, the chat
    //                       line, its leaving
    //   flood               the peer sends 1000 chat lines of 250 characters in one write
    //   close               the peer closes the connection
    //   3, new              the window's player drops into column 3, uses New
    //   away, back          another window becomes the active one; the form does again
    //   |                   what is heard from here on is checked
    void run(const QString &script)
    {
        for (const QString &step : script.split(' ', Qt::SkipEmptyParts)) {
            const qsizetype before = m_heard.size();
            if (step == "|") {
                m_mark = before;
                continue;
            }
            if (step == "away" || step == "back") {
                QWidget *active = step == "away" ? m_elsewhere.get() : m_form.get();
                active->show();
                active->activateWindow();
                QTRY_VERIFY_WITH_TIMEOUT(active->isActiveWindow(), 5000);
                continue;
            }
            if (step == "new") {
                m_form->New1Click();
            } else if (step.at(0).isDigit()) {
                clickCell(*m_form, step.toInt(), m_form->Board.freeRow(step.toInt()));
            } else if (step == "close") {
                m_peer.close();
            } else if (step == "flood") {
                QList<TDataPacket> lines;
                for (int i = 1; i <= 1000; ++i)
                    lines << TextPacket(pkChat, QString("Flut %1 ").arg(i) + QString(250, 'x'));
                m_peer.send(encoded(lines));
                QTRY_VERIFY_WITH_TIMEOUT(
                    m_heard.size() > before && m_heard.last().contains("Flut 1000 "), NetTimeout);
                continue;
            } else {
                const QHash<QString, TDataPacket> sent = {{"name", TextPacket(pkName, m_name)},
                                                          {"N", packetOf(pkNewGame)},
                                                          {"C", TextPacket(pkChat, m_chat)},
                                                          {"D", packetOf(pkDisconnect)}};
                m_peer.send(encoded(
                    {step.startsWith('M') ? moveTo(step.mid(1).toInt()) : sent.value(step)}));
            }
            QTRY_VERIFY_WITH_TIMEOUT(m_heard.size() > before, NetTimeout);
        }
    }

private slots:
    void init()
    {
        m_boxes.name = "Anna";
        m_form = std::make_unique<WatchedForm>();
        m_form->show();
        m_elsewhere = std::make_unique<QWidget>();
        m_elsewhere->resize(100, 100);
        m_heard.clear();
        m_mark = 0;
        m_name = "Bob";
        m_chat = "Bob: Hallo";
        connect(m_form->Announcer1(), &Announcer::spokenOut, this,
                [this](const QString &utterance) { m_heard << utterance; });
        QVERIFY(m_peer.connectTo(listenOnAnyPort(*m_form)));
        QTRY_COMPARE_WITH_TIMEOUT(m_form->ConnState, cnConnected, NetTimeout);
        m_form->activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(m_form->isActiveWindow(), 5000);
    }

    void cleanup()
    {
        m_peer.close();
        m_form.reset();
        m_elsewhere.reset();
    }

    void phrases_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("chat");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("heard");

        const QString bob = "Bob";
        const QString hallo = "Bob: Hallo";
        QTest::newRow("connection, new game, moves")
            << bob << hallo << "name N M4 4 M5"
            << QStringList{"Du bist jetzt zu Bob verbunden.", "Neues Spiel, Bob beginnt",
                           "Bob setzt in Spalte 4, Zeile 1", "Du setzt in Spalte 4, Zeile 2",
                           "Bob setzt in Spalte 5, Zeile 1"};
        const QString cut = QString(64, 'L') + Ellipsis;
        QTest::newRow("a long name cut")
            << QString(70, 'L') << hallo << "name N M4"
            << QStringList{"Du bist jetzt zu " + cut + " verbunden.",
                           "Neues Spiel, " + cut + " beginnt", cut + " setzt in Spalte 4, Zeile 1"};
        QTest::newRow("we begin") << bob << hallo << "name | new"
                                  << QStringList{"Neues Spiel, du beginnst"};
        // The move that ends a game goes out before the box shows; the box, taking the focus,
        // is read with its own text.
        QTest::newRow("won") << bob << hallo << "name new 1 M2 1 M2 1 M2 | 1"
                             << QStringList{"Du setzt in Spalte 1, Zeile 4"};
        // The play-again dialog closed: the connection ends.
        QTest::newRow("lost") << bob << hallo << "name N M1 2 M1 2 M1 2 | M1"
                              << QStringList{"Bob setzt in Spalte 1, Zeile 4",
                                             "Verbindung beendet"};
        const QString longLine = "Bob: " + QString(300, 'x');
        QTest::newRow("chat line cut")
            << bob << longLine << "name | C" << QStringList{longLine.left(200) + Ellipsis};
        QTest::newRow("the peer leaves")
            << bob << hallo << "name | C D close"
            << QStringList{hallo, "Bob hat die Verbindung getrennt", "Verbindung beendet"};
    }

    void phrases()
    {
        QFETCH(QString, name);
        QFETCH(QString, chat);
        QFETCH(QString, script);
        QFETCH(QStringList, heard);
        m_name = name;
        m_chat = chat;
        run(script);
        QTRY_COMPARE_WITH_TIMEOUT(m_heard.mid(m_mark), heard, 5000);
    }

    void attention_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("asked");

        QTest::newRow("move while away") << "name N away M4" << 1;
        QTest::newRow("chat line while away") << "away C" << 1;
        QTest::newRow("notice while away") << "away name" << 1;
        QTest::newRow("all while active") << "name N M4 C D" << 0;
        QTest::newRow("once until the window is back") << "name N away C M4 C back C away C" << 2;
        // Neither a new game nor our own move is news to call the player back for.
        QTest::newRow("new game, our move") << "name new away 3 N" << 0;
    }

    void attention()
    {
        QFETCH(QString, script);
        run(script);
        QTEST(m_form->asked, "asked");
    }

    void flood()
    {
        run("name away flood");
        QCOMPARE(m_form->asked, 1);
        // Each utterance at most a few phrases long, with a mark where lines were left out.
        const int longest = Announcer::PhrasesPerPass * (Announcer::LongestPhrase + 3) + 2;
        for (const QString &utterance : std::as_const(m_heard))
            QVERIFY2(utterance.size() <= longest, qPrintable(utterance.left(300)));
        QVERIFY(std::any_of(m_heard.cbegin(), m_heard.cend(), [](const QString &utterance) {
            return utterance.startsWith(Ellipsis);
        }));
    }
};

DROPSTONE_TEST_MAIN(tst_Speech)
#include "tst_speech.moc"
