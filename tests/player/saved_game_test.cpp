// The saved game: its bytes, Save and Load through the frame's commands on a
// running player, failures to write, and damaged files of every kind.

#include "game_fixture.h"

#include "command_ids.h"
#include "full_disk.h"
#include "saved_game.h"
#include "tray_number_pool.h"
#include "tray_wnd.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <csignal>
#include <map>
#include <numeric>
#include <random>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using saved_game::ReadResult;

// A file put together word by word, as the tables give it.
struct Words {
    QByteArray bytes;
    Words& raw(const char* s)
    {
        bytes.append(s);
        return *this;
    }
    Words& w(int32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes.append(char(uint32_t(v) >> (8 * i)));
        return *this;
    }
    Words& piece(int c, int r, int q, int x, int y, int fixed) { return w(c).w(r).w(q).w(x).w(y).w(fixed); }
    Words& placement(int flags, int show, QPoint min, QRect normal)
    {
        return w(44).w(flags).w(show).w(min.x()).w(min.y()).w(-1).w(-1)
            .w(normal.left()).w(normal.top()).w(normal.left() + normal.width()).w(normal.top() + normal.height());
    }
    Words& table(std::initializer_list<int> used, int capacity = 20)
    {
        w(capacity);
        for (int n = 0; n < capacity; ++n)
            w(std::find(used.begin(), used.end(), n) != used.end() ? 1 : 0);
        return *this;
    }
};

QString savePath(const Game& g) { return CTileMenderDoc::savedGamePath(g.doc->pathName()); }

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

void save(Game& g) { g.frame->OnCommand(cmd::kFileSave); }
void load(Game& g)
{
    // A changed game is offered for saving first; here it is never saved.
    if (g.app.state.modified)
        g.boxes.answer(mb::IdNo);
    g.frame->OnCommand(cmd::kLoadGame);
    // Closed trays go on the next turn of the event loop.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

std::string pieceText(const CPiece& p, bool withPlace)
{
    QString s = QString::asprintf("(%d,%d) q%d f%d", p.column, p.row, p.rotation, p.fixed);
    if (withPlace)
        s += QString::asprintf(" at %d,%d", p.x, p.y);
    return s.toStdString();
}

QString rectText(const QRect& r) { return QString::asprintf("%d,%d %dx%d", r.x(), r.y(), r.width(), r.height()); }

// Everything a load may change, one line per item: where every piece lies,
// each tray with its window, the clock, the options and the counters. With
// `trayOrder` false the trays are listed by number, so that two games whose
// tray lists are in reverse order compare equal.
std::string snapshot(Game& g, bool trayOrder = true)
{
    QStringList out;
    out << QString::asprintf("clock %d finished %d background %d sound %d modified %d", g.frame->playTime(),
                             g.doc->finished, g.app.state.backgroundOption, g.app.state.soundOption,
                             g.app.state.modified);
    out << QString::asprintf("next tray %d,%d minimised y %d fixed %d", g.view->trayCascade().next.x(),
                             g.view->trayCascade().next.y(), g.view->trayCascade().nextMinimizedY, g.view->fixedCount());
    QString table = "table";
    for (int32_t f : g.view->trayNumbers().table())
        table += QString::number(f);
    out << table;
    std::vector<CTrayWnd*> trays = g.view->trays();
    if (!trayOrder)
        std::sort(trays.begin(), trays.end(), [](auto* a, auto* b) { return a->number() < b->number(); });
    for (CTrayWnd* t : trays) {
        const WindowPlacement wp = t->placement();
        out << QString("tray %1 \"%2\" %3 show %4 normal %5 window %6 min %7,%8")
                   .arg(t->number())
                   .arg(t->title())
                   .arg(t->isMinimizedTray() ? "minimised" : "open")
                   .arg(wp.showCmd)
                   .arg(rectText(wp.normalRect()))
                   .arg(rectText(t->geometry()))
                   .arg(wp.minPosition.x())
                   .arg(wp.minPosition.y());
        for (const auto& p : t->pieces())
            out << QString::fromStdString("  " + pieceText(*p, true));
    }
    for (const auto& p : g.view->boardList())
        out << QString::fromStdString("board " + pieceText(*p, true));
    for (const auto& p : g.doc->boxList())
        out << QString::fromStdString("box " + pieceText(*p, false));
    out << QString::asprintf("strip %d %d", g.strip->maximumScroll(), g.strip->scrollPosition());
    return out.join('\n').toStdString();
}

// Every piece of the puzzle lies in exactly one place, the board grid knows
// the board's pieces, and the fixed count counts the fixed ones.
void expectConsistent(Game& g)
{
    std::multiset<std::pair<int, int>> seen;
    for (const auto& p : g.doc->boxList())
        seen.insert({p->column, p->row});
    int fixed = 0;
    for (const auto& p : g.view->boardList()) {
        seen.insert({p->column, p->row});
        EXPECT_EQ(g.view->grid().at(p->column, p->row), p.get());
        fixed += p->fixed;
    }
    std::set<int> numbers;
    for (CTrayWnd* t : g.view->trays()) {
        EXPECT_TRUE(numbers.insert(t->number()).second) << "tray " << t->number() << " twice";
        EXPECT_TRUE(g.view->trayNumbers().used(t->number()));
        for (const auto& p : t->pieces())
            seen.insert({p->column, p->row});
    }
    EXPECT_EQ(g.view->fixedCount(), fixed);
    ASSERT_EQ(int(seen.size()), g.doc->columns() * g.doc->rows());
    for (int c = 0; c < g.doc->columns(); ++c)
        for (int r = 0; r < g.doc->rows(); ++r)
            EXPECT_EQ(seen.count({c, r}), 1u) << c << "," << r;
}

// The outline belongs to the rotation the piece now has.
void expectRebuilt(const CPiece& p, int k)
{
    EXPECT_EQ(p.outline(), piece_geometry::outline(p, k, p.rotation)) << p.column << "," << p.row;
}

// A game with something everywhere: two trays (one moved, one minimised),
// pieces in both, a fixed corner and a loose piece on the board, a turned
// tray piece, the column scrolled, the options changed and time played.
void setUpBusyGame(Game& g)
{
    tick::advanceForTest(83000);
    g.placeFromStrip(0, 0);
    ASSERT_EQ(g.view->fixedCount(), 1);
    auto fromStrip = [&g](int c, int r, QPoint globalOrigin) {
        CPiece* p = g.boxPiece(c, r);
        g.strip->scrollToPiece(p);
        Game::drag(g.strip, g.stripCentreOf(p), globalOrigin + QPoint(g.k() / 2, g.k() / 2));
    };
    fromStrip(3, 2, g.view->mapToGlobal(QPoint(420, 60)));
    ASSERT_EQ(g.view->boardList().size(), 2);

    CTrayWnd* a = g.view->openTray();
    CTrayWnd* b = g.view->openTray();
    ASSERT_TRUE(a && b);
    auto put = [&](CTrayWnd* t, int c, int r, QPoint at) {
        fromStrip(c, r, t->globalClientRect().topLeft() + at);
        ASSERT_GE(t->pieces().find(c, r), 0);
    };
    // Apart, so that each drop lands in the tray it is aimed at.
    a->move(300, 100);
    put(a, 1, 1, QPoint(10, 20));
    put(a, 2, 1, QPoint(60, 40));
    put(b, 4, 3, QPoint(30, 30));
    ASSERT_EQ(a->pieces().size(), 2);
    a->turnPiece(a->pieces()[1]);
    b->minimizeTray();

    g.strip->scroll(CPieceStrip::Top);
    g.strip->scroll(CPieceStrip::PageDown);
    g.strip->scroll(CPieceStrip::PageDown);
    g.frame->OnCommand(cmd::kBackground);
    g.frame->OnCommand(cmd::kSound);
    ASSERT_EQ(g.app.state.modified, 1);
}

} // namespace

TEST(SavedGameFile, AFullDiskIsSaidToBeFullAndTheOldGameKept)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Beach0.sav");
    saved_game::SavedGame old, now;
    old.box = {{0, 0, 0, 0}};
    now.box = {{0, 0, 1, 0}, {1, 0, 2, 0}};
    now.elapsed = 5000;
    const auto said = testfiles::onFullDisk(
        dir.path(), [&] { saved_game::writeFile(path, old); },
        [&] {
            QString error;
            const bool written = saved_game::writeFile(path, now, &error);
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            return QStringLiteral("%1|%2|%3|%4")
                .arg(written)
                .arg(error)
                .arg(f.readAll() == saved_game::write(old))
                .arg(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).join(' '));
        });
    if (!said)
        GTEST_SKIP() << "no mount namespace on this machine";
    EXPECT_EQ(said->toStdString(), "0|the disk is full|1|Beach0.sav filler");
}

TEST(SavedGameFile, IsTheTablesWordForWordBothWays)
{
    saved_game::SavedGame game;
    game.elapsed = 123456;
    game.finished = 1;
    game.backgroundOption = 1;
    game.soundOption = 0;
    game.nextTrayX = 44;
    game.nextTrayY = 27;
    game.nextMinimizedTrayY = 478;
    WindowPlacement wp;
    wp.flags = 1;
    wp.showCmd = 2;
    wp.minPosition = QPoint(1, 456);
    wp.setNormalRect(QRect(22, 27, 200, 180));
    game.trays.push_back({3, wp, {{1, 2, 3, 40, 50, 0}, {0, 1, 1, -2, 7, 0}}});
    wp.showCmd = 1;
    game.trays.push_back({0, wp, {}});
    game.board = {{0, 0, 0, 100, 90, 1}};
    game.trayTable = {1, 0, 0, 1};
    game.box = {{2, 2, 1, 0}, {1, 0, 3, 0}};
    game.maximumScroll = 541;
    game.scrollPosition = 216;

    Words expect;
    expect.raw("SA02").w(123456).w(1).w(1).w(0);
    expect.w(44).w(27).w(478).w(2);
    expect.w(3).placement(1, 2, {1, 456}, QRect(22, 27, 200, 180)).w(2);
    expect.piece(1, 2, 3, 40, 50, 0).piece(0, 1, 1, -2, 7, 0);
    expect.w(0).placement(1, 1, {1, 456}, QRect(22, 27, 200, 180)).w(0);
    expect.w(1).piece(0, 0, 0, 100, 90, 1);
    expect.w(4).w(1).w(0).w(0).w(1);
    expect.w(2).w(2).w(2).w(1).w(0).w(1).w(0).w(3).w(0);
    expect.w(541).w(216);

    EXPECT_EQ(saved_game::write(game).toHex(' '), expect.bytes.toHex(' '));
    saved_game::SavedGame back;
    ASSERT_EQ(saved_game::read(expect.bytes, back), ReadResult::Ok);
    EXPECT_TRUE(back == game);
}

TEST(SavedGameFile, RejectsWhatNoSaveWritesWithoutTouchingTheResult)
{
    // A sound file with one tray, then variants damaged in one place each.
    auto file = [](auto&& patch) {
        Words f;
        f.raw("SA02").w(5000).w(0).w(0).w(1).w(22).w(49).w(478);
        patch(f);
        return f.bytes;
    };
    auto oneTray = [](Words& f, int number, int tableNumber) {
        f.w(1).w(number).placement(1, 1, {1, 478}, QRect(0, 27, 200, 200)).w(0);
        f.w(0).table({tableNumber}).w(0).w(0).w(0);
    };
    saved_game::SavedGame out;
    out.elapsed = -7;
    ASSERT_EQ(saved_game::read(file([&](Words& f) { oneTray(f, 2, 2); }), out), ReadResult::Ok);
    EXPECT_EQ(out.trays.at(0).number, 2);

    const std::map<std::string, QByteArray> damaged = {
        {"a tray named twice", file([](Words& f) {
             f.w(2);
             for (int i = 0; i < 2; ++i)
                 f.w(1).placement(1, 1, {1, 478}, QRect(0, 27, 200, 200)).w(0);
             f.w(0).table({1}).w(0).w(0).w(0);
         })},
        {"a tray the table calls free", file([&](Words& f) { oneTray(f, 2, 3); })},
        {"a tray beyond the table", file([&](Words& f) { oneTray(f, 25, 2); })},
        {"a negative tray number", file([&](Words& f) { oneTray(f, -1, 2); })},
        {"a tray count beyond the file", file([](Words& f) { f.w(0x7fffffff).w(0); })},
        {"a negative board count", file([](Words& f) { f.w(0).w(-1).table({}).w(0).w(0).w(0); })},
        {"a box count beyond the file", file([](Words& f) { f.w(0).w(0).table({}).w(1000).w(0).w(0); })},
        {"a table longer than the file", file([](Words& f) { f.w(0).w(0).w(1 << 30).w(0).w(0); })},
        {"a rotation of 4", file([](Words& f) { f.w(0).w(1).piece(0, 0, 4, 5, 5, 0).table({}).w(0).w(0).w(0); })},
        {"a coordinate far outside", file([](Words& f) { f.w(0).w(1).piece(0, 0, 0, 1 << 20, 5, 0).table({}).w(0).w(0).w(0); })},
        {"a placement of 40 bytes", file([](Words& f) {
             f.w(1).w(0).w(40).w(1).w(1).w(1).w(478).w(-1).w(-1).w(0).w(27).w(200).w(227).w(0);
             f.w(0).table({0}).w(0).w(0).w(0);
         })},
        {"a rectangle inside out", file([](Words& f) {
             f.w(1).w(0).placement(1, 1, {1, 478}, QRect(200, 27, -100, 200)).w(0);
             f.w(0).table({0}).w(0).w(0).w(0);
         })},
        {"a negative scroll position", file([](Words& f) { f.w(0).w(0).table({}).w(0).w(0).w(-72); })},
        {"more trays than a player opens", file([](Words& f) { f.w(40000).bytes.append(40000 * 52, '\0'); })},
        {"a table longer than a player makes", file([](Words& f) { f.w(0).w(0).table({}, 100000).w(0).w(0).w(0); })},
        {"more records than the puzzle's pieces", file([](Words& f) {
             f.w(0).w(0).table({}).w(7);
             for (int i = 0; i < 7; ++i)
                 f.w(i % 3).w(i / 3).w(0).w(0);
             f.w(0).w(0);
         })},
        {"the scroll values missing", file([](Words& f) { f.w(0).w(0).table({}).w(0); })},
    };
    for (const auto& [name, bytes] : damaged) {
        QString why;
        // A puzzle of 3 x 2 pieces.
        EXPECT_EQ(saved_game::read(bytes, out, &why, 6), ReadResult::Damaged) << name;
        EXPECT_FALSE(why.isEmpty()) << name;
        EXPECT_EQ(out.trays.at(0).number, 2) << name << " left a half-read result";
    }
    EXPECT_EQ(saved_game::read(QByteArray("SA03").append(40, '\0'), out), ReadResult::NotASavedGame);
    // Shorter than the magic is no saved game either, and says nothing.
    for (const char* shortFile : {"", "S", "SA0"})
        EXPECT_EQ(saved_game::read(QByteArray(shortFile), out), ReadResult::NotASavedGame) << shortFile;
    EXPECT_EQ(out.trays.at(0).number, 2);

    // What follows the last field is not read.
    const QByteArray trailing = file([&](Words& f) { oneTray(f, 2, 2); }) + "more bytes";
    out = {};
    ASSERT_EQ(saved_game::read(trailing, out), ReadResult::Ok);
    EXPECT_EQ(out.trays.at(0).number, 2);
    // Six records for six pieces is as many as a sound file has.
    const QByteArray six = file([](Words& f) {
        f.w(0).w(0).table({}).w(6);
        for (int i = 0; i < 6; ++i)
            f.w(i % 3).w(i / 3).w(0).w(0);
        f.w(0).w(0);
    });
    EXPECT_EQ(saved_game::read(six, out, nullptr, 6), ReadResult::Ok);
}

TEST(SavedGame, AFileWrittenFromTheTablesLoadsAsWrittenPassingOverRecordsOfNoPiece)
{
    Game g(3, 2, 48, true);
    const QPoint home = g.home(0, 0);
    Words f;
    f.raw("SA02").w(65000).w(0).w(1).w(0);
    f.w(44).w(49).w(300);
    f.w(2);
    f.w(4).placement(1, 1, {1, 300}, QRect(30, 40, 220, 180)).w(1).piece(1, 0, 2, 20, 30, 0);
    f.w(0).placement(1, 2, {1, 278}, QRect(0, 5, 200, 200)).w(1).piece(2, 1, 1, 10, 10, 0);
    // Among the board's records one names no piece and one names (2, 0) again.
    f.w(4).piece(0, 0, 0, home.x(), home.y(), 1).piece(2, 0, 3, 300, 200, 0);
    f.piece(9, 9, 0, 10, 10, 1).piece(2, 0, 1, 50, 50, 0);
    f.table({0, 4});
    // The box names (1, 1) and a piece outside the grid; (0, 1) is not named at all.
    f.w(2).w(1).w(1).w(1).w(0).w(-1).w(0).w(0).w(0);
    f.w(0).w(0);
    writeAll(savePath(g), f.bytes);
    g.app.state.modified = 0;

    load(g);

    EXPECT_TRUE(g.boxes.calls().empty());
    EXPECT_EQ(g.frame->playTime(), 65000);
    EXPECT_EQ(g.doc->finished, 0);
    EXPECT_EQ(g.app.state.backgroundOption, 1);
    EXPECT_EQ(g.app.state.soundOption, 0);
    EXPECT_EQ(g.app.state.modified, 0) << "loading is no change of the game";
    EXPECT_EQ(g.view->trayCascade().next, QPoint(44, 49));
    EXPECT_EQ(g.view->trayCascade().nextMinimizedY, 300);

    // Each tray was put at the head as it was made: the file's order reversed.
    ASSERT_EQ(g.view->trays().size(), 2u);
    CTrayWnd* first = g.view->trays()[0];
    CTrayWnd* second = g.view->trays()[1];
    EXPECT_EQ(first->number(), 0);
    EXPECT_EQ(first->title().toStdString(), "Tray1");
    EXPECT_TRUE(first->isMinimizedTray());
    EXPECT_EQ(first->placement().minPosition, QPoint(1, 278));
    EXPECT_EQ(second->number(), 4);
    EXPECT_EQ(second->title().toStdString(), "Tray5");
    EXPECT_FALSE(second->isMinimizedTray());
    EXPECT_EQ(second->placement().normalRect(), QRect(30, 40, 220, 180));
    ASSERT_EQ(second->pieces().size(), 1);
    EXPECT_EQ(pieceText(*second->pieces()[0], true), "(1,0) q2 f0 at 20,30");
    ASSERT_EQ(first->pieces().size(), 1);
    EXPECT_EQ(pieceText(*first->pieces()[0], true), "(2,1) q1 f0 at 10,10");

    ASSERT_EQ(g.view->boardList().size(), 2);
    EXPECT_EQ(pieceText(*g.view->boardList()[0], true),
              QString::asprintf("(0,0) q0 f1 at %d,%d", home.x(), home.y()).toStdString());
    EXPECT_EQ(pieceText(*g.view->boardList()[1], true), "(2,0) q3 f0 at 300,200");
    EXPECT_EQ(g.view->fixedCount(), 1) << "the fixed flag of a record of no piece counts for nothing";
    ASSERT_EQ(g.doc->boxList().size(), 2) << "a piece the file does not name stays in the game";
    EXPECT_EQ(pieceText(*g.doc->boxList()[0], false), "(1,1) q1 f0");
    EXPECT_EQ(g.doc->boxList().find(0, 1), 1);
    EXPECT_EQ(g.strip->list(), &g.doc->boxList());
    EXPECT_EQ(g.strip->counterText().toStdString(), "1/2");
    for (CTrayWnd* t : g.view->trays())
        for (const auto& p : t->pieces())
            expectRebuilt(*p, g.k());
    for (const auto& p : g.view->boardList())
        expectRebuilt(*p, g.k());
    for (const auto& p : g.doc->boxList())
        expectRebuilt(*p, g.k());
    expectConsistent(g);

    // The table came back too: the lowest free number goes to the next tray.
    EXPECT_EQ(g.view->openTray()->title().toStdString(), "Tray2");
}

TEST(SavedGame, SaveThenLoadPutsEveryPieceBackAndEachLoadReversesTheTrays)
{
    QByteArray bytes;
    std::string before;
    QStringList orderBefore;
    {
        Game g(5, 4, 48, true);
        setUpBusyGame(g);
        save(g);
        EXPECT_EQ(g.app.state.modified, 0);
        EXPECT_TRUE(g.boxes.calls().empty());
        bytes = readAll(savePath(g));
        ASSERT_FALSE(bytes.isEmpty());
        before = snapshot(g, false);
        for (CTrayWnd* t : g.view->trays())
            orderBefore << t->title();
        ASSERT_EQ(orderBefore.join(' ').toStdString(), "Tray2 Tray1");
        EXPECT_NE(g.strip->scrollPosition(), 0);

        load(g);
        EXPECT_EQ(snapshot(g, false), before);
        QStringList order;
        for (CTrayWnd* t : g.view->trays())
            order << t->title();
        EXPECT_EQ(order.join(' ').toStdString(), "Tray1 Tray2");
        // Saved in that order and loaded again, the list turns back.
        save(g);
        load(g);
        order.clear();
        for (CTrayWnd* t : g.view->trays())
            order << t->title();
        EXPECT_EQ(order.join(' ').toStdString(), orderBefore.join(' ').toStdString());
        EXPECT_EQ(snapshot(g, false), before);
        EXPECT_EQ(g.view->fixedCount(), 1);
        expectConsistent(g);
    }
    // A new run on the same puzzle finds the same game.
    Game fresh(5, 4, 48, true);
    writeAll(savePath(fresh), bytes);
    fresh.app.state.modified = 0;
    load(fresh);
    EXPECT_EQ(snapshot(fresh, false), before);
    expectConsistent(fresh);
}

TEST(SavedGame, AFinishedGameKeepsItsFrozenTimeAndAllItsFixedPieces)
{
    Game g(2, 2, 48, true);
    tick::advanceForTest(9000);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c)
            g.placeFromStrip(c, r);
    ASSERT_EQ(g.doc->finished, 1);
    const int32_t played = g.frame->playTime();
    tick::advanceForTest(50000);
    save(g);
    EXPECT_EQ(g.frame->playTime(), played);

    g.doc->finished = 0;
    g.view->setFixedCount(0);
    tick::advanceForTest(50000);
    load(g);
    EXPECT_EQ(g.doc->finished, 1);
    EXPECT_EQ(g.frame->playTime(), played);
    tick::advanceForTest(50000);
    EXPECT_EQ(g.frame->playTime(), played);
    EXPECT_EQ(g.view->fixedCount(), 4);
    expectConsistent(g);
}

TEST(SavedGame, AnUntouchedGameHasNoTraysNothingOnTheBoardAndEveryPieceInTheBox)
{
    Game g(4, 3, 48, true);
    save(g);
    saved_game::SavedGame file;
    ASSERT_EQ(saved_game::read(readAll(savePath(g)), file), ReadResult::Ok);
    EXPECT_TRUE(file.trays.empty());
    EXPECT_TRUE(file.board.empty());
    ASSERT_EQ(file.box.size(), 12u);
    for (size_t i = 0; i < file.box.size(); ++i) {
        EXPECT_EQ(file.box[i].column, g.doc->boxList()[int(i)]->column);
        EXPECT_EQ(file.box[i].row, g.doc->boxList()[int(i)]->row);
        EXPECT_EQ(file.box[i].rotation, g.doc->boxList()[int(i)]->rotation);
    }
    EXPECT_EQ(file.trayTable, std::vector<int32_t>(20, 0));
}

TEST(SavedGame, SavingInTheMiddleOfADragKeepsTheCarriedPiecesWhereTheyWereLifted)
{
    Game g(4, 3, 48, false);
    auto take = [&](int c, int r) { return g.doc->boxList().take(g.doc->boxList().find(c, r)); };
    g.view->dropSinglePiece(take(1, 1), g.view->mapToGlobal(QPoint(300, 300)));
    g.view->dropSinglePiece(take(2, 1), g.view->mapToGlobal(QPoint(348, 300)));
    const CPiece* a = g.view->grid().at(1, 1);
    Game::send(g.view, QEvent::MouseButtonPress, QPoint(a->x + 24, a->y + 24), Qt::LeftButton, Qt::LeftButton);
    Game::send(g.view, QEvent::MouseMove, QPoint(100, 100), Qt::NoButton, Qt::LeftButton);
    ASSERT_TRUE(g.view->dragging());
    save(g);
    Game::send(g.view, QEvent::MouseButtonRelease, QPoint(100, 100), Qt::LeftButton, Qt::NoButton);

    saved_game::SavedGame file;
    ASSERT_EQ(saved_game::read(readAll(savePath(g)), file), ReadResult::Ok);
    ASSERT_EQ(file.board.size(), 2u) << "the carried group is in the file";
    EXPECT_EQ(file.board[0].x, 300);
    EXPECT_EQ(file.board[1].x, 348);
    EXPECT_EQ(file.box.size(), 10u);
}

TEST(SavedGame, LandsBesideThePuzzleUnderItsNameBeforeTheLastDot)
{
    Game g(2, 2, 48, false);
    const std::vector<std::pair<QString, QString>> names = {
        {"Beach.puz", "Beach0.sav"}, {"my.cat.puz", "my.cat0.sav"}, {"noext", "0.sav"}};
    for (const auto& [puzzle, saved] : names) {
        QDir folder(g.dir.filePath(puzzle + ".d"));
        ASSERT_TRUE(folder.mkpath("."));
        const QString path = folder.filePath(puzzle);
        puzzle_file::writeFile(path, testfiles::makePuzzle(2, 2, 48, false));
        ASSERT_TRUE(g.app.openDocumentFile(path));
        save(g);
        EXPECT_TRUE(QFile::exists(folder.filePath(saved))) << puzzle.toStdString();
        EXPECT_EQ(folder.entryList(QDir::Files).size(), 2) << puzzle.toStdString();
    }
}

TEST(SavedGame, AFailedSaveSaysSoKeepsTheOldFileAndTheUnsavedMark)
{
    Game g(3, 3, 48, true);
    save(g);
    const QByteArray old = readAll(savePath(g));
    ASSERT_FALSE(old.isEmpty());
    g.placeFromStrip(0, 0);
    ASSERT_EQ(g.app.state.modified, 1);

    {
        // Writes beyond a few bytes fail, as on a full disk; we run as any
        // user, root included, so a read-only folder would not do.
        rlimit saved {};
        getrlimit(RLIMIT_FSIZE, &saved);
        auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 16;
        setrlimit(RLIMIT_FSIZE, &small);
        save(g);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
    }
    ASSERT_EQ(g.boxes.calls().size(), 1u);
    EXPECT_EQ(g.boxes.calls()[0].caption, "Vorlin");
    EXPECT_TRUE(g.boxes.calls()[0].text.contains(QDir::toNativeSeparators(savePath(g))));
    EXPECT_EQ(readAll(savePath(g)), old) << "the previous saved game is whole";
    EXPECT_EQ(g.app.state.modified, 1);
    EXPECT_EQ(QDir(g.dir.path()).entryList(QDir::Files).size(), 2) << "no temporary file is left";

    // A folder in the way: the box again, and leaving is called off after Yes
    // so that the game is not lost.
    QFile::remove(savePath(g));
    ASSERT_TRUE(QDir(g.dir.path()).mkdir("Game0.sav"));
    g.boxes.clear();
    g.frame->show();
    g.boxes.answer(mb::IdYes);
    EXPECT_FALSE(g.frame->close());
    ASSERT_EQ(g.boxes.calls().size(), 2u);
    EXPECT_EQ(g.boxes.calls()[1].caption, "Vorlin");
    EXPECT_TRUE(g.boxes.calls()[1].text.contains("Game0.sav"));
    EXPECT_TRUE(g.frame->isVisible());
    EXPECT_EQ(g.app.state.modified, 1);
}

TEST(SavedGame, TruncatedAndMutatedFilesLeaveTheGameAsItWas)
{
    Game g(5, 4, 48, true);
    setUpBusyGame(g);
    save(g);
    const QByteArray good = readAll(savePath(g));
    // The game is loaded from the file and then changed, so that any part of
    // a damaged file that gets applied shows.
    auto prepare = [&] {
        writeAll(savePath(g), good);
        load(g);
        g.placeFromStrip(4, 0);
        g.view->openTray();
        tick::advanceForTest(1000);
        return snapshot(g);
    };
    std::string untouched = prepare();

    for (int n = 0; n < good.size(); ++n) {
        writeAll(savePath(g), good.left(n));
        g.boxes.clear();
        load(g);
        ASSERT_EQ(snapshot(g), untouched) << "cut to " << n << " bytes";
        // The save question first; then the damage, except that a file
        // shorter than the magic is passed over quietly, like another magic.
        ASSERT_EQ(g.boxes.calls().size(), n < 4 ? 1u : 2u) << "cut to " << n << " bytes";
    }

    std::mt19937 random(4242);
    int applied = 0;
    int rejected = 0;
    for (int i = 0; i < 3000; ++i) {
        QByteArray bytes = good;
        const int edits = 1 + int(random() % 3);
        for (int e = 0; e < edits; ++e) {
            const int at = int(random() % uint32_t(bytes.size()));
            switch (random() % 4) {
            case 0: bytes[at] = char(random()); break;
            case 1: bytes[at] = char(bytes[at] ^ (1 << (random() % 8))); break;
            case 2: bytes.insert(at, char(random())); break;
            default: bytes.remove(at, 1 + int(random() % 8)); break;
            }
        }
        writeAll(savePath(g), bytes);
        saved_game::SavedGame parsed;
        const bool sound = saved_game::read(bytes, parsed, nullptr, 20) == ReadResult::Ok;
        g.boxes.clear();
        load(g);
        if (!sound) {
            ++rejected;
            ASSERT_EQ(snapshot(g), untouched) << "mutation " << i;
            continue;
        }
        // Some changes leave a file that is still sound (another time, another
        // place): it loads, and the game it gives must hold together.
        ++applied;
        EXPECT_EQ(g.boxes.calls().size(), 1u) << "only the question; mutation " << i;
        expectConsistent(g);
        if (::testing::Test::HasFailure())
            FAIL() << "mutation " << i;
        untouched = prepare();
    }
    EXPECT_GT(rejected, 1000);
    EXPECT_GT(applied, 10);
}

TEST(SavedGame, ALoadThenASaveGivesTheSameBytesFixedPiecesKeepingTheirPlaceInTheStack)
{
    Game g(3, 2, 48, true);
    Words f;
    f.raw("SA02").w(4000).w(0).w(0).w(1).w(22).w(49).w(478).w(0);
    // Loose and fixed pieces mixed, as a game played for a while leaves them.
    const QPoint a = g.home(0, 0), b = g.home(1, 0);
    f.w(4).piece(2, 0, 3, 300, 200, 0).piece(0, 0, 0, a.x(), a.y(), 1).piece(0, 1, 1, 50, 60, 0);
    f.piece(1, 0, 0, b.x(), b.y(), 1);
    f.table({});
    f.w(2).w(2).w(1).w(2).w(0).w(1).w(1).w(0).w(0);
    f.w(0).w(0);
    writeAll(savePath(g), f.bytes);
    load(g);
    ASSERT_TRUE(g.boxes.calls().empty());
    ASSERT_EQ(g.view->boardList().size(), 4);
    EXPECT_EQ(g.view->fixedCount(), 2);
    save(g);
    const QByteArray once = readAll(savePath(g));
    // The column lays its scroll values out anew; everything before them is the file's.
    EXPECT_EQ(once.left(once.size() - 8).toHex(), f.bytes.left(f.bytes.size() - 8).toHex());
    load(g);
    save(g);
    EXPECT_EQ(readAll(savePath(g)), once);
    expectConsistent(g);
}

TEST(SavedGame, HostileFilesAreRefusedQuicklyAndLeaveTheGameAsItWas)
{
    Game g(5, 4, 48, true);
    g.placeFromStrip(0, 0);
    const std::string before = snapshot(g);
    auto tray = [](Words& f, int number) { f.w(number).placement(1, 1, {1, 478}, QRect(0, 27, 200, 200)).w(0); };
    auto header = [] {
        Words f;
        f.raw("SA02").w(5000).w(0).w(0).w(1).w(22).w(49).w(478);
        return f;
    };
    QElapsedTimer t;
    t.start();

    // More trays than a player opens; each would be a window.
    Words trays = header();
    trays.w(CTrayNumberPool::kMaxTrays + 1);
    for (int i = 0; i <= CTrayNumberPool::kMaxTrays; ++i)
        tray(trays, i);
    std::vector<int> all(CTrayNumberPool::kMaxTrays + 1);
    std::iota(all.begin(), all.end(), 0);
    trays.w(0).w(CTrayNumberPool::kMaxTrays + 20);
    for (int i = 0; i < CTrayNumberPool::kMaxTrays + 20; ++i)
        trays.w(i <= CTrayNumberPool::kMaxTrays ? 1 : 0);
    trays.w(0).w(0).w(0);
    QString why;
    EXPECT_EQ(saved_game::read(trays.bytes, *std::make_unique<saved_game::SavedGame>(), &why, 20), ReadResult::Damaged);
    EXPECT_EQ(why, "more trays than a player can open");

    // More records than the puzzle has pieces, all naming pieces it does not have.
    Words records = header();
    records.w(0).w(21);
    for (int i = 0; i < 21; ++i)
        records.piece(100 + i, 7, 0, 10, 10, 1);
    records.table({}).w(0).w(0).w(0);

    const std::vector<QByteArray> files = {trays.bytes, records.bytes};
    for (const QByteArray& bytes : files) {
        writeAll(savePath(g), bytes);
        g.boxes.clear();
        load(g);
        // The save question, then the damage.
        ASSERT_EQ(g.boxes.calls().size(), 2u);
        EXPECT_TRUE(g.boxes.calls()[1].text.contains("is damaged"));
        EXPECT_EQ(snapshot(g), before);
    }

    // A named pipe in the saved game's place: refused at once, not waited on.
    QFile::remove(savePath(g));
    ASSERT_EQ(::mkfifo(QFile::encodeName(savePath(g)).constData(), 0600), 0);
    g.boxes.clear();
    load(g);
    ASSERT_EQ(g.boxes.calls().size(), 2u);
    EXPECT_TRUE(g.boxes.calls()[1].text.contains("is damaged"));
    EXPECT_EQ(snapshot(g), before);
    EXPECT_LT(t.elapsed(), 3000);

    // As many trays as a player can open make a game that loads again.
    QFile::remove(savePath(g));
    int opened = 0;
    while (g.view->openTray())
        ++opened;
    EXPECT_EQ(opened, CTrayNumberPool::kMaxTrays);
    save(g);
    g.boxes.clear();
    load(g);
    EXPECT_TRUE(g.boxes.calls().empty());
    EXPECT_EQ(int(g.view->trays().size()), CTrayNumberPool::kMaxTrays);
}
