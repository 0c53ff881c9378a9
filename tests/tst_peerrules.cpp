// A main window against a bare peer that keeps its own board as a correct peer would: the
// orderings in which packets cross on the wire or wait behind a dialog, and the packets a
// cheating peer sends. After each script both boards must hold the same pieces.
#include "MatchSupport.h"

using namespace winsock;

namespace {

// The peer's side of the game: its own board, kept from what it sends and what it has read.
struct PeerModel
{
    TBoard board;
    qsizetype read = 0;

    void apply(const TDataPacket &packet, bool own)
    {
        if (packet.Kind == pkNewGame)
            board.clear();
        else if (packet.Kind == pkMove)
            board.dropInto(packet.Column, own ? cellMine : cellTheirs);
    }

    // Takes in what the window has sent since the last read.
    void readFrom(const QByteArray &received)
    {
        const auto *bytes = reinterpret_cast<const std::uint8_t *>(received.constData());
        TDataPacket packet;
        for (;;) {
            const std::span<const std::uint8_t> rest(bytes + read, size_t(received.size() - read));
            const TDecodeResult result = DecodePacket(rest, packet);
            if (result.status != dsPacket)
                return;
            read += qsizetype(result.length);
            apply(packet, false);
        }
    }
};

} // namespace

class tst_PeerRules : public QObject
{
    Q_OBJECT

    BoxAnswerer m_boxes;
    std::unique_ptr<TForm1> m_form;
    RawPeer m_peer;
    PeerModel m_model;

    // Steps, separated by blanks:
    //   N, M3      the peer sends a new game, a move into column 3; several joined by commas
    //              go out in one write ("M4,N,M2")
    //   X3         a move that a correct peer would not send: its own board does not take it
    //   3          the window's player drops into column 3, and the peer reads it
    //   new        the window's player uses the New command, answering Yes
    //   w          a pause, in which the window hands on what was sent
    void run(const QString &script)
    {
        for (const QString &step : script.split(' ', Qt::SkipEmptyParts)) {
            if (step == "w") {
                QTest::qWait(150);
            } else if (step == "new") {
                m_form->New1Click();
            } else if (step.at(0).isDigit()) {
                const int column = step.toInt();
                clickCell(*m_form, column, m_form->Board.freeRow(column));
                QVERIFY(m_peer.receive(m_peer.received.size() + 22));
                m_model.readFrom(m_peer.received);
            } else {
                QList<TDataPacket> packets;
                for (const QString &item : step.split(',')) {
                    packets << (item == "N" ? packetOf(pkNewGame) : moveTo(item.mid(1).toInt()));
                    if (!item.startsWith('X'))
                        m_model.apply(packets.last(), true);
                }
                m_peer.send(encoded(packets));
            }
        }
    }

private slots:
    void init()
    {
        m_form = makeForm(m_boxes, "Anna");
        m_boxes.seen.clear();
        m_boxes.policy = nullptr;
        m_model = {};
        m_peer.received.clear();
        QVERIFY(m_peer.connectTo(listenOnAnyPort(*m_form)));
        QTRY_COMPARE_WITH_TIMEOUT(m_form->ConnState, cnConnected, NetTimeout);
        m_peer.send(encoded({packetOf(pkName, "Xaver")}));
    }

    void cleanup()
    {
        m_peer.close();
        m_form.reset();
    }

    void orderings_data()
    {
        // Steps after "|" run while the play-again dialog is open.
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("answer"); // to the play-again dialog
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("dialogs");
        // The peer wins in column 1 against the window's moves in column 2.
        const QString lose = "N M1 w 2 M1 w 2 M1 w 2 ";
        const QString again = "Nochmal spielen";
        const QString leave = "Verbindung trennen";
        QTest::newRow("move out of turn") << "N M3 X4 w" << again << int(gsMyTurn) << 0;
        QTest::newRow("move before any game") << "X3 w" << again << int(gsNoGame) << 0;
        QTest::newRow("two moves after ours: one counts")
            << "N M3 w 5 M4,X6 w" << again << int(gsMyTurn) << 0;
        QTest::newRow("our New crosses the peer's move")
            << "N M3 w 5 new M4 w" << again << int(gsMyTurn) << 0;
        QTest::newRow("the winner's New and move in the winning move's read")
            << lose + "M1,N,M4 w" << again << int(gsMyTurn) << 1;
        QTest::newRow("the same, and the loser leaves")
            << lose + "M1,N,M4 w" << leave << int(gsNoGame) << 1;
        QTest::newRow("the winner's New and move while the dialog is open")
            << lose + "M1 w | N M4 w" << again << int(gsMyTurn) << 1;
        QTest::newRow("a move after the win") << lose + "M1,X5 w" << leave << int(gsNoGame) << 1;
        // A cheat that would win again and again under the open dialog.
        QTest::newRow("new games with four in a column under the dialog")
            << lose + "M1,N,M3,X3,X3,X3,N,M3,X3,X3,X3 w | N,M6,X6,X6,X6 w" << again << int(gsMyTurn)
            << 1;
    }

    void orderings()
    {
        QFETCH(QString, script);
        QFETCH(QString, answer);
        QFETCH(int, state);
        QFETCH(int, dialogs);
        m_boxes.policy = [&](const QString &box) {
            if (box.contains("Bist du sicher"))
                return QStringLiteral("Yes");
            if (!box.startsWith("TForm5"))
                return QString();
            run(script.section('|', 1));
            return answer;
        };
        run(script.section('|', 0, 0) + " w");
        QCOMPARE(m_boxes.seen.count("TForm5|Du hast verloren"), dialogs);
        QCOMPARE(m_form->GameState, state);
        // What the window sent last (its New, its leaving) reaches the peer's board too.
        for (int i = 0; i < 3; ++i)
            m_peer.receive(0);
        m_model.readFrom(m_peer.received);
        for (int column = 1; column <= TBoard::Columns; ++column) {
            for (int row = 1; row <= TBoard::Rows; ++row) {
                const std::int32_t peer = m_model.board.cell(column, row);
                const std::int32_t mirrored = peer == cellEmpty ? cellEmpty : 3 - peer;
                QCOMPARE(m_form->Board.cell(column, row), mirrored);
            }
        }
    }
};

DROPSTONE_TEST_MAIN(tst_PeerRules)
#include "tst_peerrules.moc"
