// The Options menu's Edges First and Edges Only on a running player: the
// menu rows, the column sorted and filtered, pieces dragged out and back,
// the choice kept in the player's settings file, and the saved game.

#include "game_fixture.h"

#include "command_ids.h"
#include "edge_order.h"
#include "frame_caption.h"
#include "player_settings.h"
#include "popup_menu.h"
#include "profile.h"
#include "saved_game.h"
#include "strip_geometry.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPointer>

#include <algorithm>

namespace {

namespace sg = strip_geometry;
using Cells = std::vector<std::pair<int, int>>;

// The choice outlives a player, so each test starts and ends without one:
// the other tests of this program must see the column as dealt.
struct ForgetEdgesFirst {
    ForgetEdgesFirst() { forget(); }
    ~ForgetEdgesFirst() { forget(); }
    static void forget() { profile::deleteKey(player_settings::profilePath(), "Options", "EdgesFirst"); }
};

void deferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

void click(QWidget* w, QPoint at)
{
    QPointer<QWidget> alive(w);
    Game::send(w, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    if (alive)
        Game::send(w, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

CPopupMenuWnd* openOptions(Game& g)
{
    click(g.frame, frame_caption::buttonRect(CMainFrame::Options).center());
    return g.frame->openMenu();
}

// Clicks a row of the Options menu.
void choose(Game& g, int row)
{
    CPopupMenuWnd* menu = openOptions(g);
    ASSERT_NE(menu, nullptr);
    click(menu, QPoint(30, row * CPopupMenuWnd::kRowHeight + 20));
    deferredDeletes();
}

edge_order::Grid gridOf(const Game& g) { return {g.doc->columns(), g.doc->rows()}; }

Cells cellsOf(const PieceList& list)
{
    Cells out;
    for (const PieceList::Ptr& p : list)
        out.push_back({p->column, p->row});
    return out;
}

std::vector<CPiece*> piecesOf(const PieceList& list)
{
    std::vector<CPiece*> out;
    for (const PieceList::Ptr& p : list)
        out.push_back(p.get());
    return out;
}

// What the sorting must make of an order: corners, edges, the rest, each as it was.
std::vector<CPiece*> sorted(std::vector<CPiece*> order, edge_order::Grid grid)
{
    std::stable_sort(order.begin(), order.end(), [grid](const CPiece* a, const CPiece* b) {
        return int(edge_order::placeOf(*a, grid)) < int(edge_order::placeOf(*b, grid));
    });
    return order;
}

std::vector<CPiece*> shownOf(const Game& g)
{
    std::vector<CPiece*> out;
    const edge_order::ShownPieces shown = g.strip->shownPieces();
    for (int i = 0; i < shown.count(); ++i)
        out.push_back(g.strip->list()->at(shown.listIndex(i)));
    return out;
}

// A point inside a piece where the (filtered) column draws it.
QPoint shownCentre(const Game& g, const CPiece* p)
{
    const int row = g.strip->shownPieces().shownRow(g.strip->list()->indexOf(p));
    const int h = g.strip->rowHeight();
    const int pos = g.strip->scrollPosition();
    return sg::rowOrigin(row - pos / h, g.k(), pos) + QPoint(g.k() / 2, g.k() / 2);
}

// The first piece of the box for which `want` holds.
template <typename F> CPiece* firstIn(const PieceList& list, F want)
{
    for (const PieceList::Ptr& p : list)
        if (want(*p))
            return p.get();
    return nullptr;
}

} // namespace

TEST(EdgeMenus, TheOptionsMenuShowsBothSwitchesCrossedUntilTurnedOn)
{
    ForgetEdgesFirst clean;
    Game g(5, 4, 48, false);
    CPopupMenuWnd* menu = openOptions(g);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->items().size(), 4u);
    EXPECT_EQ(menu->items()[0].text, "Sound") << "the old rows keep their places";
    EXPECT_EQ(menu->items()[1].text, "Background");
    EXPECT_EQ(menu->items()[2].text, "Edges First");
    EXPECT_EQ(menu->items()[2].command, cmd::kEdgesFirst);
    EXPECT_EQ(menu->items()[2].state, CPopupMenuWnd::Crossed);
    EXPECT_EQ(menu->items()[3].text, "Edges Only");
    EXPECT_EQ(menu->items()[3].command, cmd::kEdgesOnly);
    EXPECT_EQ(menu->items()[3].state, CPopupMenuWnd::Crossed);
    click(menu, QPoint(30, 2 * CPopupMenuWnd::kRowHeight + 20));
    deferredDeletes();
    EXPECT_EQ(g.frame->openMenu(), nullptr) << "the command closes the menu";
    EXPECT_TRUE(g.strip->edgesFirst());
    EXPECT_FALSE(g.strip->edgesOnly());

    menu = openOptions(g);
    EXPECT_EQ(menu->items()[2].state, CPopupMenuWnd::Checked);
    EXPECT_EQ(menu->items()[3].state, CPopupMenuWnd::Crossed);
    click(menu, QPoint(30, 3 * CPopupMenuWnd::kRowHeight + 20));
    deferredDeletes();
    EXPECT_TRUE(g.strip->edgesOnly());
    menu = openOptions(g);
    EXPECT_EQ(menu->items()[2].state, CPopupMenuWnd::Checked);
    EXPECT_EQ(menu->items()[3].state, CPopupMenuWnd::Checked);
    EXPECT_EQ(g.app.state.soundOption, 1) << "neither touches the other options";

    // Both go off again the same way.
    click(menu, QPoint(30, 2 * CPopupMenuWnd::kRowHeight + 20));
    deferredDeletes();
    choose(g, 3);
    EXPECT_FALSE(g.strip->edgesFirst());
    EXPECT_FALSE(g.strip->edgesOnly());
}

TEST(EdgesFirst, SortsTheColumnAtOnceAndAgainWhenPiecesComeBack)
{
    ForgetEdgesFirst clean;
    Game g(5, 4, 48, false);
    const edge_order::Grid grid = gridOf(g);
    PieceList& box = g.doc->boxList();
    const std::vector<CPiece*> dealt = piecesOf(box);
    ASSERT_FALSE(edge_order::isPartitioned(box, grid)) << "a deal that needs sorting";
    EXPECT_EQ(g.app.state.modified, 0);

    g.strip->scroll(CPieceStrip::Bottom);
    g.frame->OnCommand(cmd::kEdgesFirst);
    EXPECT_EQ(piecesOf(box), sorted(dealt, grid));
    EXPECT_EQ(g.strip->scrollPosition(), 0) << "the corners show";
    EXPECT_EQ(g.app.state.modified, 1) << "the box order is part of the saved game";

    // A corner dragged onto the board and back onto an interior piece's row
    // joins the corners, after the others (the row lay after all of them).
    CPiece* corner = box.at(1);
    Game::drag(g.strip, g.stripCentreOf(corner), g.globalForOrigin(QPoint(200, 200)));
    ASSERT_EQ(box.indexOf(corner), -1);
    ASSERT_EQ(g.view->boardList().indexOf(corner), 0);
    CPiece* inner = box.at(box.size() - 1);
    g.strip->scrollToPiece(inner);
    const QPoint back = g.strip->mapToGlobal(g.stripCentreOf(inner));
    Game::drag(g.view, QPoint(corner->x + 24, corner->y + 24), back);
    ASSERT_EQ(box.size(), 20);
    EXPECT_EQ(box.indexOf(corner), 3);
    std::vector<CPiece*> expected = sorted(dealt, grid);
    std::erase(expected, corner);
    expected.insert(expected.begin() + 3, corner);
    EXPECT_EQ(piecesOf(box), expected) << "the rest of the order as it was";

    // A run back from the board: the column ends as it would unsorted, then sorted.
    std::vector<std::unique_ptr<CPiece>> run;
    for (int i : {12, 0, 5})
        run.push_back(box.take(i));
    g.strip->refresh();
    const std::vector<CPiece*> before = piecesOf(box);
    std::vector<CPiece*> raw;
    for (const auto& p : run)
        raw.push_back(p.get());
    g.frame->returnToBox(std::move(run));
    EXPECT_TRUE(edge_order::isPartitioned(box, grid));
    for (CPiece* p : raw)
        EXPECT_GE(box.indexOf(p), 0);
    std::vector<CPiece*> rest = piecesOf(box);
    std::erase_if(rest, [&raw](CPiece* p) { return std::find(raw.begin(), raw.end(), p) != raw.end(); });
    EXPECT_EQ(rest, before) << "the pieces that stayed keep their order";

    // Off: nothing moves, and a piece dropped at a row stays at that row.
    g.frame->OnCommand(cmd::kEdgesFirst);
    EXPECT_TRUE(edge_order::isPartitioned(box, grid));
    g.strip->scroll(CPieceStrip::Top);
    CPiece* last = box.at(box.size() - 1);
    g.strip->scrollToPiece(last);
    Game::drag(g.strip, g.stripCentreOf(last), g.globalForOrigin(QPoint(300, 300)));
    g.strip->scroll(CPieceStrip::Top);
    Game::drag(g.view, QPoint(last->x + 24, last->y + 24), g.strip->mapToGlobal(g.stripCentreOf(box.at(0))));
    EXPECT_EQ(box.indexOf(last), 0);
}

TEST(EdgesFirst, IsKeptInThePlayersSettingsForTheNextRunAndSortsItsFirstDeal)
{
    ForgetEdgesFirst clean;
    const QString ini = player_settings::profilePath();
    {
        Game g(5, 4, 48, false);
        EXPECT_FALSE(g.strip->edgesFirst());
        choose(g, 2);
        ASSERT_TRUE(g.strip->edgesFirst());
    }
    EXPECT_EQ(profile::readString(ini, "Options", "EdgesFirst"), "1");
    {
        Game g(5, 4, 48, false);
        EXPECT_TRUE(g.strip->edgesFirst());
        EXPECT_TRUE(edge_order::isPartitioned(g.doc->boxList(), gridOf(g)));
        EXPECT_EQ(g.app.state.modified, 0) << "a sorted deal is a new game all the same";
        EXPECT_FALSE(g.strip->edgesOnly()) << "the filter is for this run only";

        // Another deal of the same puzzle comes sorted too.
        ASSERT_TRUE(g.app.openDocumentFile(g.dir.filePath("Game.puz")));
        EXPECT_TRUE(edge_order::isPartitioned(g.doc->boxList(), gridOf(g)));
        g.frame->OnCommand(cmd::kEdgesFirst);
    }
    EXPECT_EQ(profile::readString(ini, "Options", "EdgesFirst"), "0");
    {
        Game g(5, 4, 48, false);
        EXPECT_FALSE(g.strip->edgesFirst());
        EXPECT_FALSE(edge_order::isPartitioned(g.doc->boxList(), gridOf(g))) << "dealt as dealt";
    }
}

TEST(EdgesOnly, ShowsJustTheEdgePiecesAndCountsThem)
{
    ForgetEdgesFirst clean;
    Game g(5, 4, 48, false);
    const edge_order::Grid grid = gridOf(g);
    PieceList& box = g.doc->boxList();
    const Cells dealt = cellsOf(box);
    EXPECT_EQ(g.strip->counterText(), "1/20");

    g.frame->OnCommand(cmd::kEdgesOnly);
    EXPECT_EQ(g.strip->counterText(), "14/20") << "14 edge pieces of 20 in the box";
    EXPECT_EQ(cellsOf(box), dealt) << "a filter, not a sort";
    const std::vector<CPiece*> shown = shownOf(g);
    ASSERT_EQ(shown.size(), 14u);
    for (CPiece* p : shown)
        EXPECT_TRUE(edge_order::isEdge(*p, grid));
    // The scroll range is the shown rows'.
    EXPECT_EQ(g.strip->maximumScroll(), sg::refresh(14, 48, 0).maximum);

    // The rows hit and painted are the shown pieces.
    EXPECT_EQ(g.strip->hitTest(shownCentre(g, shown[0])), shown[0]);
    int index = -1;
    EXPECT_EQ(g.strip->hitTest(shownCentre(g, shown[1]), &index), shown[1]);
    EXPECT_EQ(index, box.indexOf(shown[1])) << "the index is the piece's place in the box";
    const QImage before = g.strip->grab().toImage();
    g.strip->scroll(CPieceStrip::Bottom);
    EXPECT_EQ(g.strip->hitTest(shownCentre(g, shown[13])), shown[13]);
    EXPECT_EQ(g.strip->counterText(), "14/20");
    EXPECT_NE(g.strip->grab().toImage(), before);

    // Off: every piece in its order, the piece at the top still in view.
    CPiece* atTop = shown[size_t(sg::firstRow(g.strip->scrollPosition(), 48))];
    g.frame->OnCommand(cmd::kEdgesOnly);
    EXPECT_EQ(cellsOf(box), dealt);
    EXPECT_EQ(g.strip->shownPieces().count(), 20);
    EXPECT_EQ(g.strip->maximumScroll(), sg::refresh(20, 48, 0).maximum);
    EXPECT_EQ(g.strip->hitTest(g.stripCentreOf(atTop)), atTop);
    g.strip->scroll(CPieceStrip::Top);
    EXPECT_EQ(g.strip->counterText(), "1/20");
    EXPECT_EQ(g.strip->hitTest(g.stripCentreOf(box.at(0))), box.at(0));

    // On again from the top: the top row shows the first edge piece at or after it.
    g.strip->scroll(CPieceStrip::ThumbPosition, 5 * g.strip->rowHeight());
    const int top = sg::firstRow(g.strip->scrollPosition(), 48);
    g.frame->OnCommand(cmd::kEdgesOnly);
    const edge_order::ShownPieces now = g.strip->shownPieces();
    EXPECT_EQ(sg::firstRow(g.strip->scrollPosition(), 48),
              std::min(now.rowAtOrAfter(top), sg::firstRow(g.strip->maximumScroll(), 48)));
}

TEST(EdgesOnly, PiecesDraggedOutOfAndIntoTheFilteredColumnLandRight)
{
    ForgetEdgesFirst clean;
    Game g(5, 4, 48, false);
    const edge_order::Grid grid = gridOf(g);
    PieceList& box = g.doc->boxList();
    g.frame->OnCommand(cmd::kEdgesOnly);

    // Out of the third shown row onto the board.
    CPiece* out = shownOf(g)[2];
    Game::drag(g.strip, shownCentre(g, out), g.globalForOrigin(QPoint(250, 250)));
    EXPECT_EQ(box.indexOf(out), -1);
    EXPECT_EQ(g.view->boardList().indexOf(out), 0);
    EXPECT_EQ(g.strip->counterText(), "13/19");

    // Back onto the second shown row: before that piece, which may lie
    // after hidden ones in the box.
    CPiece* second = shownOf(g)[1];
    Game::drag(g.view, QPoint(out->x + 24, out->y + 24), g.strip->mapToGlobal(shownCentre(g, second)));
    ASSERT_EQ(box.size(), 20);
    EXPECT_EQ(box.indexOf(out) + 1, box.indexOf(second));
    EXPECT_EQ(shownOf(g)[1], out);
    EXPECT_EQ(g.frame->currentPiece(), out);

    // Within the column: from the first shown row onto the fourth.
    // As in the whole column, the row is found in the column as it was and
    // the piece goes there in the column without it: after the fourth.
    CPiece* first = shownOf(g)[0];
    CPiece* fourth = shownOf(g)[3];
    CPiece* fifth = shownOf(g)[4];
    Game::drag(g.strip, shownCentre(g, first), g.strip->mapToGlobal(shownCentre(g, fourth)));
    EXPECT_EQ(box.size(), 20);
    EXPECT_EQ(shownOf(g)[3], first);
    EXPECT_EQ(shownOf(g)[2], fourth);
    EXPECT_EQ(box.indexOf(first) + 1, box.indexOf(fifth));

    // An interior piece let go on the column goes into the box, unseen.
    CPiece* inner = firstIn(box, [grid](const CPiece& p) { return !edge_order::isEdge(p, grid); });
    ASSERT_TRUE(inner);
    g.view->dropSinglePiece(box.take(box.indexOf(inner)), g.globalForOrigin(QPoint(400, 300)));
    g.strip->refresh();
    ASSERT_EQ(g.view->boardList().indexOf(inner), 0);
    CPiece* target = shownOf(g)[2];
    Game::drag(g.view, QPoint(inner->x + 24, inner->y + 24), g.strip->mapToGlobal(shownCentre(g, target)));
    EXPECT_EQ(box.indexOf(inner) + 1, box.indexOf(target));
    EXPECT_EQ(g.strip->counterText(), "14/20");
    EXPECT_EQ(shownOf(g)[2], target);
}

TEST(EdgesOnly, ARunBackFromTheBoardEndsAsAddingItPieceByPieceWould)
{
    ForgetEdgesFirst clean;
    // Two players dealt alike: one takes a run back at once, the other one
    // piece after another at the same point.
    Game a(5, 4, 48, false);
    Game b(5, 4, 48, false);
    ASSERT_EQ(cellsOf(a.doc->boxList()), cellsOf(b.doc->boxList()));
    for (Game* g : {&a, &b}) {
        g->frame->OnCommand(cmd::kEdgesOnly);
        g->strip->scroll(CPieceStrip::ThumbPosition, 2 * g->strip->rowHeight() + 5);
    }
    std::vector<std::unique_ptr<CPiece>> runA, runB;
    for (int i : {19, 3, 0, 7, 11, 2}) {
        runA.push_back(a.doc->boxList().take(i));
        runB.push_back(b.doc->boxList().take(i));
    }
    a.strip->refresh();
    b.strip->refresh();
    ASSERT_EQ(a.strip->scrollPosition(), b.strip->scrollPosition());
    const QPoint at(60, 200);
    a.strip->addPieces(std::move(runA), a.strip->mapToGlobal(at));
    for (auto& p : runB)
        b.strip->addPiece(std::move(p), b.strip->mapToGlobal(at));
    EXPECT_EQ(cellsOf(a.doc->boxList()), cellsOf(b.doc->boxList()));
    EXPECT_EQ(a.strip->scrollPosition(), b.strip->scrollPosition());
    EXPECT_EQ(a.strip->counterText(), "14/20");
}

TEST(EdgesOnly, AHintAtAHiddenPieceTurnsTheFilterOffAndAHiddenCurrentPieceIsForgotten)
{
    ForgetEdgesFirst clean;
    Game g(5, 4, 48, false);
    const edge_order::Grid grid = gridOf(g);
    PieceList& box = g.doc->boxList();
    CPiece* inner = firstIn(box, [grid](const CPiece& p) { return !edge_order::isEdge(p, grid); });
    CPiece* edge = firstIn(box, [grid](const CPiece& p) { return edge_order::isEdge(p, grid); });
    ASSERT_TRUE(inner && edge);

    g.frame->select(inner, ContainerKind::Strip, g.strip);
    g.frame->OnCommand(cmd::kEdgesOnly);
    EXPECT_EQ(g.frame->currentPiece(), nullptr) << "no Rotate on a piece nobody sees";
    EXPECT_EQ(inner->selected, 0);
    g.frame->select(edge, ContainerKind::Strip, g.strip);

    // A shown piece: the filter stays.
    g.strip->scroll(CPieceStrip::Bottom);
    g.strip->scrollToPiece(edge);
    EXPECT_TRUE(g.strip->edgesOnly());
    EXPECT_EQ(g.strip->hitTest(shownCentre(g, edge)), edge);

    // A hidden one: everything shows, and the piece is in view.
    g.strip->scrollToPiece(inner);
    EXPECT_FALSE(g.strip->edgesOnly());
    EXPECT_EQ(g.strip->hitTest(g.stripCentreOf(inner)), inner);
    EXPECT_EQ(g.frame->currentPiece(), edge);
}

TEST(EdgeFilters, ASaveKeepsTheWholeBoxAndALoadIsSortedOnlyWithEdgesFirst)
{
    ForgetEdgesFirst clean;
    Game g(5, 4, 48, false);
    const edge_order::Grid grid = gridOf(g);
    const QString saved = CTileMenderDoc::savedGamePath(g.doc->pathName());
    auto readSaved = [&saved] {
        QFile f(saved);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        saved_game::SavedGame game;
        EXPECT_EQ(saved_game::read(f.readAll(), game, nullptr, 20), saved_game::ReadResult::Ok);
        return game;
    };
    auto boxCells = [](const saved_game::SavedGame& game) {
        Cells out;
        for (const saved_game::BoxEntry& e : game.box)
            out.push_back({e.column, e.row});
        return out;
    };

    // Unsorted and unfiltered first: the file has the dealt order.
    const Cells dealt = cellsOf(g.doc->boxList());
    g.frame->OnCommand(cmd::kFileSave);
    ASSERT_EQ(boxCells(readSaved()), dealt);

    // Both on: the file has all 20 in the sorted order, and the column's
    // scroll values as it shows them, a pair that fits together.
    g.frame->OnCommand(cmd::kEdgesFirst);
    g.frame->OnCommand(cmd::kEdgesOnly);
    g.strip->scroll(CPieceStrip::Bottom);
    g.frame->OnCommand(cmd::kFileSave);
    saved_game::SavedGame game = readSaved();
    EXPECT_EQ(boxCells(game), cellsOf(g.doc->boxList()));
    EXPECT_EQ(game.box.size(), 20u);
    EXPECT_EQ(game.maximumScroll, sg::refresh(14, 48, 0).maximum);
    EXPECT_EQ(game.scrollPosition, g.strip->scrollPosition());
    EXPECT_LE(game.scrollPosition, game.maximumScroll);

    // Loaded with both on: the whole box, filtered and still sorted.
    g.app.state.modified = 0;
    g.frame->OnCommand(cmd::kLoadGame);
    EXPECT_EQ(g.doc->boxList().size(), 20);
    EXPECT_EQ(cellsOf(g.doc->boxList()), boxCells(game));
    EXPECT_EQ(g.strip->counterText(), "14/20");
    EXPECT_EQ(g.strip->scrollPosition(), sg::refresh(14, 48, game.scrollPosition).position)
        << "settled on a whole row, as every load does";

    // Off, the same file shows every piece, the position kept inside the range.
    g.frame->OnCommand(cmd::kEdgesOnly);
    g.app.state.modified = 0;
    g.frame->OnCommand(cmd::kLoadGame);
    EXPECT_EQ(g.strip->shownPieces().count(), 20);
    EXPECT_LE(g.strip->scrollPosition(), g.strip->maximumScroll());

    // A file in the dealt order: loaded as it is without Edges First, sorted with it.
    g.frame->OnCommand(cmd::kEdgesFirst);
    QFile::remove(saved);
    game.box.clear();
    for (auto [c, r] : dealt)
        game.box.push_back({c, r, 0, 0});
    game.maximumScroll = 0;
    game.scrollPosition = 0;
    ASSERT_TRUE(saved_game::writeFile(saved, game));
    g.app.state.modified = 0;
    g.frame->OnCommand(cmd::kLoadGame);
    EXPECT_EQ(cellsOf(g.doc->boxList()), dealt);
    g.frame->OnCommand(cmd::kEdgesFirst);
    g.app.state.modified = 0;
    g.frame->OnCommand(cmd::kLoadGame);
    EXPECT_TRUE(edge_order::isPartitioned(g.doc->boxList(), grid));
    EXPECT_EQ(g.doc->boxList().size(), 20);
    EXPECT_TRUE(g.boxes.calls().empty()) << "no load asked to save first";
}
