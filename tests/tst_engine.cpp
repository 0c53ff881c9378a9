// The computer player: exact values against a plain exhaustive search, the moves each level
// must find, mirror symmetry, and the opening book against the solver.
#include "engine/Book.h"
#include "engine/BookLocation.h"
#include "engine/Engine.h"
#include "engine/Solver.h"

#include <QTest>

#include <random>

using namespace engine;

Q_DECLARE_METATYPE(engine::Level)
Q_DECLARE_METATYPE(std::vector<int>)

namespace {

// A board as plain cells, for a search that shares nothing with the engine's.
struct Grid
{
    int cells[7][6] = {};
    int heights[7] = {};
    int moves = 0;

    bool fourThrough(int c, int r) const
    {
        const int who = cells[c][r];
        for (const auto &[dc, dr] : {std::pair{1, 0}, {0, 1}, {1, 1}, {1, -1}}) {
            int n = 1;
            for (int s : {1, -1}) {
                for (int k = 1; k < 4; ++k) {
                    const int x = c + s * k * dc;
                    const int y = r + s * k * dr;
                    if (x < 0 || x > 6 || y < 0 || y > 5 || cells[x][y] != who)
                        break;
                    ++n;
                }
            }
            if (n >= 4)
                return true;
        }
        return false;
    }
    // Exact score for the side to move in the engine's convention.
    int value()
    {
        int best = -100;
        for (int c = 0; c < 7; ++c) {
            if (heights[c] == 6)
                continue;
            const int r = heights[c];
            cells[c][r] = 1 + moves % 2;
            ++heights[c];
            ++moves;
            int score;
            if (fourThrough(c, r))
                score = (42 + 1 - (moves - 1)) / 2;
            else
                score = moves == 42 ? 0 : -value();
            --moves;
            --heights[c];
            cells[c][r] = 0;
            best = std::max(best, score);
        }
        return best;
    }
};

Position positionOf(const std::vector<int> &moves)
{
    Position position;
    if (!replay(moves, position))
        qFatal("bad test position");
    return position;
}

Grid gridOf(const std::vector<int> &moves)
{
    Grid grid;
    for (int column : moves) {
        grid.cells[column - 1][grid.heights[column - 1]++] = 1 + grid.moves % 2;
        ++grid.moves;
    }
    return grid;
}

std::vector<int> movesOf(const char *text)
{
    std::vector<int> moves;
    for (; *text; ++text)
        moves.push_back(*text - '0');
    return moves;
}

// Random games without a four, stopped at plies stones, where the side to move can (or
// cannot) win at once.
std::vector<int> randomPosition(std::mt19937_64 &random, int plies, bool winnable = false)
{
    for (;;) {
        Position position;
        std::vector<int> moves;
        while (int(moves.size()) < plies) {
            const int column = int(random() % 7);
            if (!position.canPlay(column))
                continue;
            if (position.isWinningMove(column))
                break;
            position.play(column);
            moves.push_back(column + 1);
        }
        if (int(moves.size()) == plies && position.canWinNext() == winnable)
            return moves;
    }
}

QByteArray textOf(const std::vector<int> &moves)
{
    QByteArray text;
    for (int column : moves)
        text += char('0' + column);
    return text;
}

} // namespace

class EngineTest : public QObject
{
    Q_OBJECT

private slots:
    void exactValues_data();
    void exactValues();
    void immediateWin_data();
    void immediateWin();
    void threatBlocked_data();
    void threatBlocked();
    void mirroredAnswers_data();
    void mirroredAnswers();
    void bookAgreesWithSolver();
    void openingValues_data();
    void openingValues();
};

// Positions with ten empty cells: the exhaustive search gives the value, the solver must agree
// on it and its sign, its weak move must keep the sign, and Strong must pick a move of that
// value (soonest win, latest loss).
void EngineTest::exactValues_data()
{
    QTest::addColumn<std::vector<int>>("moves");
    std::mt19937_64 random(16);
    int wins = 0;
    int draws = 0;
    int losses = 0;
    while (wins + draws + losses < 24) {
        const std::vector<int> moves = randomPosition(random, 32);
        const int value = gridOf(moves).value();
        int &count = value > 0 ? wins : value < 0 ? losses : draws;
        if (count >= 8)
            continue; // as many of each outcome
        ++count;
        QTest::newRow(textOf(moves).constData()) << moves;
    }
}

void EngineTest::exactValues()
{
    QFETCH(std::vector<int>, moves);
    Grid grid = gridOf(moves);
    const int value = grid.value();
    Solver solver(1 << 16);
    const Position position = positionOf(moves);
    QCOMPARE(solver.solve(position, false), value);
    const int sign = value > 0 ? 1 : value < 0 ? -1 : 0;
    QCOMPARE(solver.solve(position, true), sign);
    // The weak best move keeps a win a win and a draw a draw.
    const std::optional<Solver::Move> weak = solver.bestMove(position, {}, true);
    QVERIFY(weak && position.canPlay(weak->column));
    QCOMPARE(weak->score, sign);
    if (sign >= 0 && !position.isWinningMove(weak->column)) {
        std::vector<int> after = moves;
        after.push_back(weak->column + 1);
        const int childValue = -gridOf(after).value();
        QCOMPARE(childValue > 0 ? 1 : childValue < 0 ? -1 : 0, sign);
    }

    Engine strong(Level::Strong, 1);
    const int column = strong.chooseMove(moves, std::chrono::milliseconds(500));
    QVERIFY(column >= 1 && column <= 7 && position.canPlay(column - 1));
    std::vector<int> after = moves;
    after.push_back(column);
    Grid child = gridOf(after);
    const int achieved =
        position.isWinningMove(column - 1) ? (42 + 1 - grid.moves) / 2 : -child.value();
    QCOMPARE(achieved, value);
}

void EngineTest::immediateWin_data()
{
    QTest::addColumn<Level>("level");
    QTest::addColumn<std::vector<int>>("moves");
    std::mt19937_64 random(31);
    std::vector<std::vector<int>> positions = {movesOf("445566")}; // 3 and 7 both win
    // Half of them with the opponent threatening too: winning comes before blocking.
    while (positions.size() < 7) {
        const std::vector<int> moves = randomPosition(random, 9 + int(random() % 24), true);
        const Position position = positionOf(moves);
        const bool threatened = (position.opponentWinningCells() & position.possible()) != 0;
        if (threatened == (positions.size() % 2 == 0))
            positions.push_back(moves);
    }
    for (const Level level : {Level::Easy, Level::Medium, Level::Strong}) {
        for (const std::vector<int> &moves : positions)
            QTest::addRow("%d %s", int(level), textOf(moves).constData()) << level << moves;
    }
}

// Every level takes a win in one move; where there are two, either will do.
void EngineTest::immediateWin()
{
    QFETCH(Level, level);
    QFETCH(std::vector<int>, moves);
    const Position position = positionOf(moves);
    for (std::uint64_t seed = 0; seed < 5; ++seed) {
        Engine engine(level, seed);
        const int column = engine.chooseMove(moves, std::chrono::milliseconds(100));
        QVERIFY2(position.isWinningMove(column - 1), QByteArray::number(column).constData());
    }
}

void EngineTest::threatBlocked_data()
{
    QTest::addColumn<Level>("level");
    QTest::addColumn<std::vector<int>>("moves");
    QTest::addColumn<int>("block");
    std::mt19937_64 random(8);
    // Three stacked in column 4; 3, 4 and 5 on the bottom row with 6 taken.
    std::vector<std::vector<int>> positions = {movesOf("41424"), movesOf("36415")};
    while (positions.size() < 8) {
        const std::vector<int> moves = randomPosition(random, 8 + int(random() % 24));
        const Position position = positionOf(moves);
        const std::uint64_t threats = position.opponentWinningCells() & position.possible();
        if (threats && !(threats & (threats - 1)))
            positions.push_back(moves);
    }
    for (const Level level : {Level::Medium, Level::Strong}) {
        for (const std::vector<int> &moves : positions) {
            const Position position = positionOf(moves);
            const std::uint64_t threat = position.opponentWinningCells() & position.possible();
            int block = 1;
            while (!(threat & Position::columnMask(block - 1)))
                ++block;
            QTest::addRow("%d %s", int(level), textOf(moves).constData())
                << level << moves << block;
        }
    }
}

// Medium and Strong always stop a win in one move when they cannot win at once themselves.
void EngineTest::threatBlocked()
{
    QFETCH(Level, level);
    QFETCH(std::vector<int>, moves);
    QFETCH(int, block);
    for (std::uint64_t seed = 0; seed < 5; ++seed) {
        Engine engine(level, seed);
        QCOMPARE(engine.chooseMove(moves, std::chrono::milliseconds(100)), block);
    }
}

void EngineTest::mirroredAnswers_data()
{
    QTest::addColumn<std::vector<int>>("moves");
    std::mt19937_64 random(4);
    // Within the book, in the deep search and where solves finish.
    for (int plies : {1, 2, 3, 6, 12, 24, 28, 32}) {
        const std::vector<int> moves = randomPosition(random, plies);
        QTest::newRow(textOf(moves).constData()) << moves;
    }
}

// Strong answers a mirrored position with the mirrored column. Counted in nodes, both searches
// go equally far.
void EngineTest::mirroredAnswers()
{
    QFETCH(std::vector<int>, moves);
    std::vector<int> mirrored;
    for (int column : moves)
        mirrored.push_back(8 - column);
    Engine a(Level::Strong, 1);
    Engine b(Level::Strong, 1);
    a.setNodeBudget(200'000);
    b.setNodeBudget(200'000);
    const int column = a.chooseMove(moves, std::chrono::milliseconds(500));
    QCOMPARE(b.chooseMove(mirrored, std::chrono::milliseconds(500)), 8 - column);
}

// The book's deepest entries, solved again, give the same win, draw or loss; each shallower
// entry is the best of its children's, as a search from it would find.
void EngineTest::bookAgreesWithSolver()
{
    Book book;
    QVERIFY(book.load(findBookPath()));
    QVERIFY(book.depth() >= 1);
    std::mt19937_64 random(7);
    Solver solver(1 << 22);
    int solved = 0;
    for (int attempt = 0; attempt < 20 && solved < 3; ++attempt) {
        const std::vector<int> moves = randomPosition(random, book.depth());
        Position position;
        for (int column : moves) {
            const std::optional<int> held = book.value(position);
            QVERIFY2(held.has_value(), textOf(moves).constData());
            QCOMPARE(book.value(position.mirrored()), held);
            int best = -1;
            for (int child = 0; child < Position::Width; ++child) {
                if (!position.canPlay(child))
                    continue;
                Position next = position;
                next.play(child);
                best = std::max(best, position.isWinningMove(child) ? 1 : -*book.value(next));
            }
            QCOMPARE(*held, best);
            position.play(column - 1);
        }
        const std::optional<int> held = book.value(position);
        QVERIFY2(held.has_value(), textOf(moves).constData());
        // Some early positions take long to solve; those are left to the generator.
        const auto deadline = Clock::now() + std::chrono::seconds(3);
        if (const std::optional<int> value = solver.solve(position, true, deadline)) {
            QCOMPARE(*value, *held);
            ++solved;
        }
    }
    QVERIFY(solved >= 1);
}

void EngineTest::openingValues_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("value");
    // For the side that began: the centre wins, its neighbours draw, the rest lose.
    const int values[] = {-1, -1, 0, 1, 0, -1, -1};
    for (int column = 1; column <= 7; ++column)
        QTest::addRow("%d", column) << column << values[column - 1];
}

// The known values of the seven first moves, as the book holds them, and Strong opening in the
// centre.
void EngineTest::openingValues()
{
    QFETCH(int, column);
    QFETCH(int, value);
    Book book;
    QVERIFY(book.load(findBookPath()));
    QCOMPARE(book.value(Position()), 1);
    QCOMPARE(book.value(positionOf({column})), -value);
    Engine strong(Level::Strong, std::uint64_t(column));
    QCOMPARE(strong.chooseMove({}, std::chrono::milliseconds(500)), 4);
}

QTEST_APPLESS_MAIN(EngineTest)
#include "tst_engine.moc"
