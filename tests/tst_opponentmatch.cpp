// The computer's side of a match, driven event by event without sockets, clocks or engine:
// whose turn it is, which packets go out, and which of the engine's choices are played.
#include "opponent/OpponentMatch.h"

#include <QTest>

namespace {

// A match played from a script of space-separated events: "N" the window's new game, "mC" the
// window's move into column C, "cC" the engine choosing C for the current game, "sC" a choice
// for the game before, "C" a chat line, "P" a name, "D" the window's goodbye. Returns the
// packets the match sent, as "N" for a new game and "MC" for a move.
QString play(OpponentMatch &match, const QString &script, bool *closed = nullptr)
{
    QStringList sent;
    for (const QString &event : script.split(' ', Qt::SkipEmptyParts)) {
        const int column = event.mid(1).toInt();
        OpponentMatch::Actions actions;
        TDataPacket packet;
        switch (event[0].toLatin1()) {
        case 'N':
            packet.Kind = pkNewGame;
            actions = match.receive(packet);
            break;
        case 'm':
            packet.Kind = pkMove;
            packet.Column = column;
            actions = match.receive(packet);
            break;
        case 'c':
            actions = match.moveChosen(match.generation(), column);
            break;
        case 's':
            actions = match.moveChosen(match.generation() - 1, column);
            break;
        case 'C':
        case 'P':
            packet.Kind = event == "C" ? pkChat : pkName;
            packet.Text = event.toStdString();
            packet.Column = 4;
            actions = match.receive(packet);
            break;
        case 'D':
            packet.Kind = pkDisconnect;
            actions = match.receive(packet);
            break;
        }
        if (closed)
            *closed = *closed || actions.close;
        if (actions.think && !match.ourTurn())
            return QStringLiteral("thinks out of turn after ") + event;
        for (const TDataPacket &out : actions.send)
            sent << (out.Kind == pkNewGame ? QStringLiteral("N")
                                           : QStringLiteral("M%1").arg(out.Column));
    }
    return sent.join(' ');
}

QString movesOf(const OpponentMatch &match)
{
    QStringList moves;
    for (int column : match.moves())
        moves << QString::number(column);
    return moves.join(' ');
}

QString turnOf(const OpponentMatch &match)
{
    return match.ourTurn() ? "ours" : match.theirTurn() ? "theirs" : "none";
}

// A full board without a line of four, the window beginning.
const QString Draw = "1 2 6 6 1 3 4 3 1 4 5 6 4 7 5 4 6 7 3 3 3 3 4 1 5 2 7 2 1 5 6 1 2 2 2 5 5 "
                     "4 6 7 7 7";

// The draw as a script, and the computer's moves in it as sent.
QString drawScript(bool sent = false)
{
    QStringList events{"N"};
    const QStringList columns = Draw.split(' ');
    for (qsizetype i = 0; i < columns.size(); ++i)
        events << (i % 2 == 0 ? "m" : sent ? "M" : "c") + columns[i];
    return sent ? events.filter("M").join(' ') : events.join(' ');
}

} // namespace

class tst_OpponentMatch : public QObject
{
    Q_OBJECT

private slots:
    void greeting()
    {
        OpponentMatch match("Computer (Stark)");
        const TDataPacket name = match.greeting();
        QCOMPARE(name.Kind, pkName);
        QCOMPARE(name.Text, "Computer (Stark)");
        QCOMPARE(turnOf(match), "none");
    }

    void script_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("turn");
        QTest::addColumn<QString>("moves");

        QTest::newRow("the window begins") << "N m4"
                                           << ""
                                           << "ours"
                                           << "4";
        QTest::newRow("the engine's move goes out") << "N m4 c3"
                                                    << "M3"
                                                    << "theirs"
                                                    << "4 3";
        QTest::newRow("lost: the next game is ours at once") << "N m4 c1 m4 c1 m4 c1 m4"
                                                             << "M1 M1 M1 N"
                                                             << "ours"
                                                             << "";
        QTest::newRow("won: waits for the window") << "N m1 c4 m1 c4 m1 c4 m2 c4"
                                                   << "M4 M4 M4 M4"
                                                   << "none"
                                                   << "1 4 1 4 1 4 2 4";
        QTest::newRow("won, then the window's new game") << "N m1 c4 m1 c4 m1 c4 m2 c4 N m3"
                                                         << "M4 M4 M4 M4"
                                                         << "ours"
                                                         << "3";
        QTest::newRow("full board: waits for the window")
            << drawScript() << drawScript(true) << "none" << Draw;
        QTest::newRow("no game yet: moves ignored") << "m4 c3"
                                                    << ""
                                                    << "none"
                                                    << "";
        QTest::newRow("out of turn: the second move ignored") << "N m4 m5 c3"
                                                              << "M3"
                                                              << "theirs"
                                                              << "4 3";
        QTest::newRow("columns off the board ignored") << "N m0 m8 m-1 m4"
                                                       << ""
                                                       << "ours"
                                                       << "4";
        QTest::newRow("a full column ignored") << "N m1 c1 m1 c1 m1 c1 m1"
                                               << "M1 M1 M1"
                                               << "theirs"
                                               << "1 1 1 1 1 1";
        QTest::newRow("the engine's full column replaced") << "N m1 c1 m1 c1 m1 c1 m2 c1"
                                                           << "M1 M1 M1 M2"
                                                           << "theirs"
                                                           << "1 1 1 1 1 1 2 2";
        QTest::newRow("a choice overtaken by a new game dropped") << "N m4 N c3"
                                                                  << ""
                                                                  << "theirs"
                                                                  << "";
        QTest::newRow("a choice for the game before dropped") << "N m4 s3"
                                                              << ""
                                                              << "ours"
                                                              << "4";
        QTest::newRow("a second choice dropped") << "N m4 c3 c2"
                                                 << "M3"
                                                 << "theirs"
                                                 << "4 3";
        QTest::newRow("a new game in the middle of one") << "N m4 c3 m5 N m2"
                                                         << "M3"
                                                         << "ours"
                                                         << "2";
        QTest::newRow("chat and names not answered") << "N C P m4 C"
                                                     << ""
                                                     << "ours"
                                                     << "4";
    }

    void script()
    {
        QFETCH(QString, script);

        OpponentMatch match("Computer (Mittel)");
        bool closed = false;
        QTEST(play(match, script, &closed), "sent");
        QTEST(turnOf(match), "turn");
        QTEST(movesOf(match), "moves");
        QVERIFY(!closed);
    }

    void goodbyeCloses()
    {
        OpponentMatch match("Computer (Leicht)");
        bool closed = false;
        QCOMPARE(play(match, "N m4 D", &closed), "");
        QVERIFY(closed);
    }

    // The generation tells games apart, so that a late choice never lands in a later game.
    void generationPerGame()
    {
        OpponentMatch match("Computer (Leicht)");
        const std::uint64_t before = match.generation();
        play(match, "N");
        const std::uint64_t first = match.generation();
        play(match, "m4 c1 m4 c1 m4 c1 m4");
        QVERIFY(first != before);
        QVERIFY(match.generation() != first);
    }
};

QTEST_APPLESS_MAIN(tst_OpponentMatch)
#include "tst_opponentmatch.moc"
