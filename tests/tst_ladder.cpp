// Whole games between the computer's levels, the weaker side's first moves random so that
// they differ.
#include "engine/Engine.h"
#include "engine/Position.h"

#include <QTest>

#include <random>

using namespace engine;

Q_DECLARE_METATYPE(engine::Level)

namespace {

Position positionOf(const std::vector<int> &moves)
{
    Position position;
    if (!replay(moves, position))
        qFatal("bad test position");
    return position;
}

// Plays one game; returns 1 when the side that began wins, -1 when it loses, 0 for a draw.
int playGame(Engine &first, Engine &second, std::chrono::milliseconds budget,
             std::vector<int> moves)
{
    Position position = positionOf(moves);
    while (position.moves() < Position::Cells) {
        Engine &mover = position.moves() % 2 == 0 ? first : second;
        const int column = mover.chooseMove(moves, budget);
        if (column < 1 || column > 7 || !position.canPlay(column - 1))
            qFatal("illegal move");
        if (position.isWinningMove(column - 1))
            return position.moves() % 2 == 0 ? 1 : -1;
        position.play(column - 1);
        moves.push_back(column);
    }
    return 0;
}

// Strong thinks in nodes in the games between levels, so that they end the same on any machine
// under any load: about a third of what 500 ms give on the machine that runs the tests.
constexpr std::uint64_t LadderNodes = 1'000'000;
constexpr std::chrono::milliseconds LadderBudget(500);

} // namespace

class LadderTest : public QObject
{
    Q_OBJECT

private slots:
    void ladder_data();
    void ladder();
    void strongSecond();
};

void LadderTest::ladder_data()
{
    QTest::addColumn<Level>("first");
    QTest::addColumn<Level>("second");
    QTest::addColumn<int>("minimumWins");
    // Strong with a third of its usual thinking still wins nearly every game it begins.
    QTest::newRow("Strong-Medium") << Level::Strong << Level::Medium << 98;
    QTest::newRow("Strong-Easy") << Level::Strong << Level::Easy << 98;
    QTest::newRow("Medium-Easy") << Level::Medium << Level::Easy << 70;
}

// Games of the beginning side against the weaker one, whose first two moves are random.
void LadderTest::ladder()
{
    QFETCH(Level, first);
    QFETCH(Level, second);
    QFETCH(int, minimumWins);
    std::mt19937_64 random(2024);
    int results[3] = {};
    Engine a(first, 11);
    a.setNodeBudget(LadderNodes);
    for (int game = 0; game < 100; ++game) {
        Engine b(second, std::uint64_t(game));
        // The weaker side's first two moves are random: the openings differ.
        std::vector<int> moves;
        Position position;
        for (int ply = 0; ply < 4; ++ply) {
            int column;
            if (ply % 2 == 0) {
                column = a.chooseMove(moves, LadderBudget);
            } else {
                do
                    column = int(random() % 7) + 1;
                while (position.isWinningMove(column - 1));
            }
            if (position.isWinningMove(column - 1))
                break;
            position.play(column - 1);
            moves.push_back(column);
        }
        ++results[1 + playGame(a, b, LadderBudget, moves)];
    }
    qInfo("%d wins, %d draws, %d losses", results[2], results[1], results[0]);
    QVERIFY2(results[2] >= minimumWins, QByteArray::number(results[2]).constData());
}

// When Strong does not begin, only reported: Medium's random first moves decide much.
void LadderTest::strongSecond()
{
    std::mt19937_64 random(99);
    int results[3] = {};
    Engine strong(Level::Strong, 5);
    strong.setNodeBudget(LadderNodes);
    for (int game = 0; game < 20; ++game) {
        Engine medium(Level::Medium, std::uint64_t(game));
        const std::vector<int> opening = {int(random() % 7) + 1};
        ++results[1 + playGame(medium, strong, LadderBudget, opening)];
    }
    qInfo("Strong second against Medium: %d wins, %d draws, %d losses", results[0], results[1],
          results[2]);
    QVERIFY(results[0] > results[2]);
}

QTEST_APPLESS_MAIN(LadderTest)
#include "tst_ladder.moc"
