// The undo history over a model of the game made of plain lists: random
// seeded games are played, taken back step by step to the very first state
// and brought forward again, comparing every state on the way; the step
// keeps only what the action touched, a fixing step is final, and restoring
// into lists that drifted never loses a piece.
#include "undo_history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>

using namespace undo_history;

namespace {

// The game as the frame has it, without a window: the box, the board and
// the trays, each an owning list, with the trays' states beside them.
struct Model {
    PieceList box, board;
    std::map<int32_t, PieceList> trays; // by number
    TraysState traysState;              // head first
    PieceKey current = kNoPiece;

    explicit Model(int columns, int rows)
    {
        for (int c = 0; c < columns; ++c)
            for (int r = 0; r < rows; ++r) {
                auto p = std::make_unique<CPiece>();
                p->column = c;
                p->row = r;
                box.append(std::move(p));
            }
        traysState.table.assign(20, 0);
    }

    GameRecord record() const
    {
        GameRecord g;
        capture(g.pieces, box, Where::Box);
        capture(g.pieces, board, Where::Board);
        for (const TrayState& t : traysState.trays)
            capture(g.pieces, trays.at(t.number), Where::Tray, t.number);
        g.trays = traysState;
        g.current = current;
        return g;
    }

    Lists lists()
    {
        Lists l;
        l.box = &box;
        l.board = &board;
        for (auto& [number, list] : trays)
            l.trays.push_back({number, &list});
        return l;
    }

    int pieceCount() const
    {
        int n = box.size() + board.size();
        for (const auto& t : trays)
            n += t.second.size();
        return n;
    }

    // What the frame does for one side of a step.
    void restoreSide(const Step& s, bool after)
    {
        const std::optional<TraysState>& t = after ? s.traysAfter : s.traysBefore;
        if (t)
            for (const TrayState& ts : t->trays)
                trays[ts.number];
        restore(lists(), after ? s.after : s.before, nullptr);
        if (t) {
            for (auto it = trays.begin(); it != trays.end();) {
                const bool wanted = std::any_of(t->trays.begin(), t->trays.end(),
                                                [&](const TrayState& ts) { return ts.number == it->first; });
                if (wanted) {
                    ++it;
                    continue;
                }
                box.insertAll(box.size(), it->second.takeAll());
                it = trays.erase(it);
            }
            traysState = *t;
        }
        current = after ? s.currentAfter : s.currentBefore;
    }
};

// One random user action of any kind but fixing; returns nothing.
void play(Model& m, std::mt19937& rng)
{
    auto pick = [&rng](int n) { return int(rng() % uint32_t(n)); };
    auto somePlace = [&]() -> PieceList* {
        const int choice = pick(2 + int(m.trays.size()));
        if (choice == 0)
            return &m.box;
        if (choice == 1)
            return &m.board;
        auto it = m.trays.begin();
        std::advance(it, choice - 2);
        return &it->second;
    };
    switch (pick(8)) {
    case 0:
    case 1: { // a piece moves from one list to another (or within one), anywhere in it
        PieceList* from = somePlace();
        if (from->empty())
            return;
        PieceList::Ptr p = from->take(pick(from->size()));
        p->x = pick(600);
        p->y = pick(400);
        m.current = keyOf(*p);
        PieceList* to = somePlace();
        to->insert(pick(to->size() + 1), std::move(p));
        return;
    }
    case 2: { // a group on the board moves and comes on top
        const int n = std::min(m.board.size(), 1 + pick(4));
        const int dx = pick(50) - 25, dy = pick(50) - 25;
        for (int i = 0; i < n; ++i) {
            PieceList::Ptr p = m.board.take(pick(m.board.size()));
            p->x += dx;
            p->y += dy;
            m.board.append(std::move(p));
        }
        return;
    }
    case 3: { // a turn where it lies
        PieceList* in = somePlace();
        if (in->empty())
            return;
        CPiece* p = in->at(pick(in->size()));
        p->rotation = (p->rotation + 1) % 4;
        m.current = keyOf(*p);
        return;
    }
    case 4: { // Add tray: the lowest free number, at the head
        int number = 0;
        while (m.trays.count(number))
            ++number;
        m.trays[number];
        TrayState t;
        t.number = number;
        t.placement.setNormalRect(QRect(pick(300), pick(300), 200, 200));
        t.placement.flags = WindowPlacement::kSetMinPosition;
        t.placement.showCmd = pick(2) ? WindowPlacement::kShowNormal : WindowPlacement::kShowMinimized;
        t.stacking = int32_t(m.trays.size());
        m.traysState.trays.insert(m.traysState.trays.begin(), t);
        m.traysState.table[size_t(number)] = 1;
        m.traysState.nextTray += QPoint(22, 22);
        return;
    }
    case 5: { // a tray closes; its pieces go to the front of the box as a run
        if (m.trays.empty())
            return;
        const int32_t number = m.traysState.trays[size_t(pick(int(m.traysState.trays.size())))].number;
        m.box.insertAll(0, m.trays[number].takeAll());
        m.trays.erase(number);
        auto& ts = m.traysState.trays;
        ts.erase(std::find_if(ts.begin(), ts.end(), [&](const TrayState& t) { return t.number == number; }));
        m.traysState.table[size_t(number)] = 0;
        return;
    }
    case 6: { // Restart: every piece to the box, shuffled and turned, no tray left
        for (auto& t : m.trays)
            m.box.insertAll(0, t.second.takeAll());
        m.trays.clear();
        m.traysState.trays.clear();
        std::fill(m.traysState.table.begin(), m.traysState.table.end(), 0);
        m.box.insertAll(m.box.size(), m.board.takeAll());
        std::vector<PieceList::Ptr> all = m.box.takeAll();
        std::shuffle(all.begin(), all.end(), rng);
        for (auto& p : all) {
            p->rotation = pick(4);
            p->fixed = 0;
        }
        m.box.insertAll(0, std::move(all));
        m.current = kNoPiece;
        return;
    }
    default: { // a piece of a list comes to its top
        PieceList* in = somePlace();
        if (in->size() < 2)
            return;
        in->append(in->take(pick(in->size() - 1)));
        return;
    }
    }
}

// Plays `actions` random actions, keeping every state a step was recorded for.
std::vector<GameRecord> playGame(Model& m, UndoHistory& h, int actions, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<GameRecord> states{m.record()};
    for (int i = 0; i < actions; ++i) {
        play(m, rng);
        GameRecord now = m.record();
        if (std::optional<Step> s = diff(states.back(), now)) {
            EXPECT_EQ(h.record(std::move(*s)), UndoHistory::Kept::Step);
            states.push_back(std::move(now));
        }
    }
    return states;
}

} // namespace

TEST(UndoHistory, RandomGamesGoBackToTheirFirstStateAndForwardAgainStateByState)
{
    for (uint32_t seed : {1u, 7u, 2024u, 99991u}) {
        Model m(9, 7);
        UndoHistory h;
        const std::vector<GameRecord> states = playGame(m, h, 300, seed);
        ASSERT_EQ(h.undoCount(), states.size() - 1) << "seed " << seed;
        ASSERT_GT(states.size(), 150u);

        for (size_t i = states.size() - 1; i > 0; --i) {
            ASSERT_TRUE(h.canUndo());
            m.restoreSide(*h.nextUndo(), false);
            h.undone();
            ASSERT_EQ(m.record(), states[i - 1]) << "seed " << seed << ", undo to state " << i - 1;
            ASSERT_EQ(m.pieceCount(), 63);
        }
        EXPECT_FALSE(h.canUndo());
        for (size_t i = 1; i < states.size(); ++i) {
            ASSERT_TRUE(h.canRedo());
            m.restoreSide(*h.nextRedo(), true);
            h.redone();
            ASSERT_EQ(m.record(), states[i]) << "seed " << seed << ", redo to state " << i;
        }
        EXPECT_FALSE(h.canRedo());
    }
}

TEST(UndoHistory, UndoingPartWayThenANewStepDropsTheRedoList)
{
    Model m(5, 5);
    UndoHistory h;
    std::vector<GameRecord> states = playGame(m, h, 40, 5);
    for (int i = 0; i < 3; ++i) {
        m.restoreSide(*h.nextUndo(), false);
        h.undone();
    }
    EXPECT_EQ(h.redoCount(), 3u);
    const GameRecord before = m.record();
    m.board.append(m.box.take(0));
    ASSERT_EQ(h.record(*diff(before, m.record())), UndoHistory::Kept::Step);
    EXPECT_FALSE(h.canRedo());
    m.restoreSide(*h.nextUndo(), false);
    h.undone();
    EXPECT_EQ(m.record(), before);
}

TEST(UndoHistory, KeepsTheLatestFiveHundredSteps)
{
    Model m(6, 6);
    UndoHistory h;
    const std::vector<GameRecord> states = playGame(m, h, 1200, 11);
    ASSERT_GT(states.size(), 600u);
    EXPECT_EQ(h.undoCount(), UndoHistory::kMaxSteps);
    while (h.canUndo()) {
        m.restoreSide(*h.nextUndo(), false);
        h.undone();
    }
    EXPECT_EQ(m.record(), states[states.size() - 1 - UndoHistory::kMaxSteps]) << "the oldest were dropped";
}

TEST(UndoHistory, AStepKeepsOnlyThePiecesItTouched)
{
    Model m(100, 100);
    const GameRecord start = m.record();
    // One piece out of the middle of the box onto the board.
    m.board.append(m.box.take(5000));
    std::optional<Step> s = diff(start, m.record());
    ASSERT_TRUE(s);
    ASSERT_EQ(s->before.size(), 1u);
    EXPECT_EQ(s->before[0].index, 5000);
    EXPECT_EQ(s->after[0].where, Where::Board);
    EXPECT_FALSE(s->traysBefore) << "the trays did not change";
    EXPECT_LT(s->bytes(), 512u);

    // A piece raised within the box: the one that moved, not the 9 998 that slid.
    const GameRecord mid = m.record();
    m.box.append(m.box.take(10));
    s = diff(mid, m.record());
    ASSERT_TRUE(s);
    EXPECT_EQ(s->before.size(), 1u);
    EXPECT_EQ(s->before[0].index, 10);

    // Nothing moved: a new current piece alone is no step.
    GameRecord same = m.record();
    same.current = keyOf(3, 3);
    EXPECT_FALSE(diff(m.record(), same));
}

// Records the move `act` makes as one step of `h`.
UndoHistory::Kept step(Model& m, UndoHistory& h, const std::function<void()>& act)
{
    const GameRecord before = m.record();
    act();
    std::optional<Step> s = diff(before, m.record());
    EXPECT_TRUE(s);
    return s ? h.record(std::move(*s)) : UndoHistory::Kept::Nothing;
}

int indexOfKey(const PieceList& list, PieceKey key)
{
    for (int i = 0; i < list.size(); ++i)
        if (keyOf(*list[i]) == key)
            return i;
    return -1;
}

TEST(UndoHistory, AStepThatFixesPiecesIsFinalAndTakesOnlyTheStepsThatMetItsPiecesWithIt)
{
    Model m(4, 4);
    UndoHistory h;
    const PieceKey a = keyOf(*m.box[0]), b = keyOf(*m.box[1]), c = keyOf(*m.box[2]);
    step(m, h, [&] { m.board.append(m.box.take(0)); });                  // a out
    step(m, h, [&] { m.board.append(m.box.take(0)); });                  // b out
    step(m, h, [&] { m.board[indexOfKey(m.board, a)]->x = 40; });        // a moved
    step(m, h, [&] { m.board[indexOfKey(m.board, b)]->y = 30; });        // b moved
    step(m, h, [&] { m.board.append(m.box.take(0)); });                  // c out
    step(m, h, [&] { m.board[indexOfKey(m.board, c)]->x = 77; });        // c moved
    ASSERT_EQ(h.undoCount(), 6u);
    m.restoreSide(*h.nextUndo(), false); // c moved back: something to redo
    h.undone();
    const GameRecord beforeLock = m.record();

    // b locks: its two steps go, the steps of a and c stay.
    EXPECT_EQ(step(m, h, [&] {
                  CPiece* p = m.board[indexOfKey(m.board, b)];
                  p->x = p->y = 0;
                  p->fixed = 1;
              }),
              UndoHistory::Kept::Final);
    EXPECT_FALSE(h.canRedo());
    EXPECT_EQ(h.undoCount(), 3u);
    // Where b lies; its place in the board's list moves as a comes and goes.
    auto lieOfB = [&] {
        GameRecord r = m.record();
        PieceState s = *std::find_if(r.pieces.begin(), r.pieces.end(), [&](const PieceState& p) { return p.key() == b; });
        s.index = 0;
        return s;
    };
    const PieceState lockedB = lieOfB();
    while (h.canUndo()) {
        m.restoreSide(*h.nextUndo(), false);
        h.undone();
        EXPECT_EQ(lieOfB(), lockedB) << "an undo moved the fixed piece";
        EXPECT_EQ(m.pieceCount(), 16);
    }
    // a and c are back in the box, b stays fixed on the board.
    EXPECT_GE(indexOfKey(m.box, a), 0);
    EXPECT_GE(indexOfKey(m.box, c), 0);
    EXPECT_GE(indexOfKey(m.board, b), 0);
    EXPECT_NE(beforeLock, m.record());
}

// Random games with locks now and then: whatever stays undoable is undone
// and redone without ever moving a fixed piece or losing one.
TEST(UndoHistory, RandomGamesWithLocksNeverMoveAFixedPiece)
{
    for (uint32_t seed : {3u, 17u, 4242u}) {
        Model m(8, 6);
        UndoHistory h;
        std::mt19937 rng(seed);
        auto fixedOnes = [&] {
            std::vector<PieceState> out;
            for (const PieceState& p : m.record().pieces)
                if (p.fixed)
                    out.push_back(p);
            std::sort(out.begin(), out.end(), [](auto& x, auto& y) { return x.key() < y.key(); });
            for (PieceState& p : out)
                p.index = 0; // other pieces coming and going shift it
            return out;
        };
        for (int i = 0; i < 200; ++i) {
            GameRecord before = m.record();
            if (i % 25 == 24 && m.box.size() > 0) { // a piece of the box locks on the board
                PieceList::Ptr p = m.box.take(int(rng() % uint32_t(m.box.size())));
                p->fixed = 1;
                m.board.prepend(std::move(p));
            } else {
                play(m, rng);
            }
            if (std::optional<Step> s = diff(before, m.record()))
                h.record(std::move(*s));
        }
        // Every piece fixed before an undo or a redo lies as it lay.
        auto stillLocked = [&](const std::vector<PieceState>& locked) {
            const std::vector<PieceState> now = fixedOnes();
            for (const PieceState& p : locked)
                if (std::find(now.begin(), now.end(), p) == now.end())
                    return false;
            return true;
        };
        const size_t undoable = h.undoCount();
        ASSERT_GT(undoable, 0u);
        while (h.canUndo()) {
            const std::vector<PieceState> locked = fixedOnes();
            m.restoreSide(*h.nextUndo(), false);
            h.undone();
            ASSERT_TRUE(stillLocked(locked)) << "seed " << seed << ", an undo moved a fixed piece";
            ASSERT_EQ(m.pieceCount(), 48) << "seed " << seed;
        }
        while (h.canRedo()) {
            const std::vector<PieceState> locked = fixedOnes();
            m.restoreSide(*h.nextRedo(), true);
            h.redone();
            ASSERT_TRUE(stillLocked(locked)) << "seed " << seed << ", a redo moved a fixed piece";
        }
        EXPECT_EQ(h.undoCount(), undoable);
        EXPECT_EQ(m.pieceCount(), 48);
    }
}

TEST(UndoHistory, LooseningIsAnOrdinaryStep)
{
    Model m(4, 4);
    UndoHistory h;
    PieceList::Ptr p = m.box.take(0);
    p->fixed = 1;
    m.board.prepend(std::move(p));
    // Loosening (Restart) is an ordinary step.
    const GameRecord fixedState = m.record();
    m.box.append(m.board.take(0));
    m.box[m.box.size() - 1]->fixed = 0;
    std::optional<Step> loosening = diff(fixedState, m.record());
    ASSERT_TRUE(loosening);
    EXPECT_FALSE(loosening->fixesPieces());
    EXPECT_EQ(h.record(std::move(*loosening)), UndoHistory::Kept::Step);
    m.restoreSide(*h.nextUndo(), false);
    EXPECT_EQ(m.record(), fixedState);
}

TEST(UndoHistory, RestoringIntoListsThatChangedMeanwhileLosesNoPiece)
{
    Model m(4, 4);
    m.trays[3];
    const GameRecord before = m.record();
    m.trays[3].append(m.box.take(2));
    m.board.append(m.box.take(0));
    std::optional<Step> s = diff(before, m.record());
    ASSERT_TRUE(s);
    // The tray is gone and the board reordered behind the history's back.
    m.box.insertAll(m.box.size(), m.trays[3].takeAll());
    m.trays.erase(3);
    m.board.append(m.box.take(0));
    restore(m.lists(), s->after, nullptr);
    EXPECT_EQ(m.pieceCount(), 16) << "the tray's piece went to the box";
    restore(m.lists(), s->before, nullptr);
    EXPECT_EQ(m.pieceCount(), 16);
    std::vector<PieceKey> keys;
    for (const PieceState& p : m.record().pieces)
        keys.push_back(p.key());
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(std::unique(keys.begin(), keys.end()), keys.end()) << "no piece twice";
}

TEST(UndoHistory, PiecesOfFarApartCellsAreFoundToo)
{
    // Cells too spread for a table over the grid: the records are matched by a map.
    GameRecord a;
    for (int i = 0; i < 3; ++i) {
        PieceState p;
        p.column = i * 5000;
        p.row = 70000 - i;
        p.index = i;
        a.pieces.push_back(p);
    }
    GameRecord b = a;
    b.pieces[1].where = Where::Board;
    b.pieces[1].index = 0;
    b.pieces[2].index = 1;
    std::swap(b.pieces[1], b.pieces[2]);
    std::optional<Step> s = diff(a, b);
    ASSERT_TRUE(s);
    ASSERT_EQ(s->before.size(), 1u);
    EXPECT_EQ(s->before[0].column, 5000);
    EXPECT_EQ(s->after[0].where, Where::Board);
}
