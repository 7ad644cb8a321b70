#include "undo_history.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace undo_history {

namespace {

bool sameLie(const PieceState& a, const PieceState& b)
{
    return a.samePlace(b) && a.x == b.x && a.y == b.y && a.rotation == b.rotation && a.fixed == b.fixed;
}

// Marks every value of `run` that is not part of one longest increasing
// subsequence: the pieces that must move for the rest to keep their order.
void markOutOfOrder(const std::vector<size_t>& run, std::vector<char>& touched)
{
    if (run.size() < 2)
        return;
    std::vector<size_t> tails;                 // positions in run of the smallest tail of each length
    std::vector<size_t> previous(run.size());  // the element before each in its subsequence
    constexpr size_t kNone = size_t(-1);
    for (size_t i = 0; i < run.size(); ++i) {
        const auto at = std::lower_bound(tails.begin(), tails.end(), run[i],
                                         [&run](size_t t, size_t v) { return run[t] < v; });
        previous[i] = at == tails.begin() ? kNone : *(at - 1);
        if (at == tails.end())
            tails.push_back(i);
        else
            *at = i;
    }
    std::vector<char> kept(run.size(), 0);
    for (size_t i = tails.back(); i != kNone; i = previous[i])
        kept[i] = 1;
    for (size_t i = 0; i < run.size(); ++i)
        if (!kept[i])
            touched[run[i]] = 1;
}

// Where each piece of a record is, by its home cell: a table over the
// puzzle's grid, which a diff of every action at 10 000 pieces reads faster
// than a hash map; a map only when the cells are too spread for a table.
class CellIndex {
public:
    explicit CellIndex(const std::vector<PieceState>& pieces)
    {
        int64_t columns = 0, rows = 0;
        bool plain = true;
        for (const PieceState& p : pieces) {
            plain = plain && p.column >= 0 && p.row >= 0;
            columns = std::max<int64_t>(columns, int64_t(p.column) + 1);
            rows = std::max<int64_t>(rows, int64_t(p.row) + 1);
        }
        if (plain && columns * rows <= 4 * int64_t(pieces.size()) + 64) {
            rows_ = rows;
            table_.assign(size_t(columns * rows), kAbsent);
            for (size_t i = 0; i < pieces.size(); ++i)
                table_[size_t(pieces[i].column * rows + pieces[i].row)] = i;
        } else {
            dense_ = false;
            map_.reserve(pieces.size());
            for (size_t i = 0; i < pieces.size(); ++i)
                map_.emplace(pieces[i].key(), i);
        }
    }
    size_t find(const PieceState& p) const
    {
        if (!dense_) {
            const auto it = map_.find(p.key());
            return it == map_.end() ? kAbsent : it->second;
        }
        if (p.column < 0 || p.row < 0 || p.row >= rows_)
            return kAbsent;
        const size_t at = size_t(int64_t(p.column) * rows_ + p.row);
        return at < table_.size() ? table_[at] : kAbsent;
    }

private:
    static constexpr size_t kAbsent = size_t(-1);
    bool dense_ = true;
    int64_t rows_ = 0;
    std::vector<size_t> table_;
    std::unordered_map<PieceKey, size_t> map_;
};

bool listOrder(const PieceState& a, const PieceState& b)
{
    if (a.where != b.where)
        return a.where < b.where;
    if (a.tray != b.tray)
        return a.tray < b.tray;
    return a.index < b.index;
}

} // namespace

void capture(std::vector<PieceState>& out, const PieceList& list, Where where, int32_t tray)
{
    for (int i = 0; i < list.size(); ++i) {
        const CPiece& p = *list[i];
        PieceState s;
        s.column = p.column;
        s.row = p.row;
        s.tray = where == Where::Tray ? tray : -1;
        s.index = i;
        s.x = p.x;
        s.y = p.y;
        s.where = where;
        s.rotation = int8_t(p.rotation & 3);
        s.fixed = p.fixed ? 1 : 0;
        out.push_back(s);
    }
}

bool Step::fixesPieces() const
{
    std::unordered_set<PieceKey> wasFixed;
    for (const PieceState& s : before)
        if (s.fixed)
            wasFixed.insert(s.key());
    for (const PieceState& s : after)
        if (s.fixed && !wasFixed.count(s.key()))
            return true;
    return false;
}

size_t Step::bytes() const
{
    size_t n = sizeof(Step) + (before.capacity() + after.capacity()) * sizeof(PieceState);
    for (const auto* t : {&traysBefore, &traysAfter})
        if (*t)
            n += (*t)->trays.capacity() * sizeof(TrayState) + (*t)->table.capacity() * sizeof(int32_t);
    return n;
}

std::optional<Step> diff(const GameRecord& a, const GameRecord& b)
{
    constexpr size_t kAbsent = size_t(-1);
    const CellIndex inA(a.pieces);
    std::vector<char> touched(a.pieces.size(), 0);
    std::vector<size_t> match(b.pieces.size(), kAbsent);
    for (size_t j = 0; j < b.pieces.size(); ++j) {
        const size_t i = inA.find(b.pieces[j]);
        // A piece only one side knows cannot be put back; it is left alone.
        if (i == kAbsent)
            continue;
        match[j] = i;
        if (!sameLie(a.pieces[i], b.pieces[j]))
            touched[i] = 1;
    }
    // Within each list of the later record, the pieces that stayed in it keep
    // their order but for the fewest; a record lists each list's pieces in
    // order, so their places in `a` rise wherever the order held.
    for (size_t j = 0; j < b.pieces.size();) {
        size_t end = j;
        std::vector<size_t> run;
        while (end < b.pieces.size() && b.pieces[end].samePlace(b.pieces[j])) {
            if (match[end] != kAbsent && !touched[match[end]])
                run.push_back(match[end]);
            ++end;
        }
        markOutOfOrder(run, touched);
        j = end;
    }

    Step s;
    for (size_t i = 0; i < a.pieces.size(); ++i)
        if (touched[i])
            s.before.push_back(a.pieces[i]);
    for (size_t j = 0; j < b.pieces.size(); ++j)
        if (match[j] != kAbsent && touched[match[j]])
            s.after.push_back(b.pieces[j]);
    if (!(a.trays == b.trays)) {
        s.traysBefore = a.trays;
        s.traysAfter = b.trays;
    }
    if (s.before.empty() && !s.traysBefore)
        return std::nullopt;
    std::sort(s.before.begin(), s.before.end(), listOrder);
    std::sort(s.after.begin(), s.after.end(), listOrder);
    s.before.shrink_to_fit();
    s.after.shrink_to_fit();
    s.currentBefore = a.current;
    s.currentAfter = b.current;
    return s;
}

PieceList* Lists::find(Where where, int32_t tray) const
{
    switch (where) {
    case Where::Box:
        return box;
    case Where::Board:
        return board;
    case Where::Tray:
        for (const auto& [number, list] : trays)
            if (number == tray)
                return list;
        return nullptr;
    }
    return nullptr;
}

void restore(const Lists& lists, const std::vector<PieceState>& side, const std::function<void(CPiece&)>& rebuild)
{
    std::unordered_map<PieceKey, const PieceState*> wanted;
    wanted.reserve(side.size());
    for (const PieceState& s : side)
        wanted.emplace(s.key(), &s);

    // Out of every list at once: one by one, each would shift the rest.
    std::unordered_map<PieceKey, PieceList::Ptr> taken;
    taken.reserve(side.size());
    auto takeWanted = [&](PieceList* list) {
        if (!list)
            return;
        std::vector<PieceList::Ptr> all = list->takeAll();
        std::vector<PieceList::Ptr> kept;
        kept.reserve(all.size());
        for (PieceList::Ptr& p : all) {
            const PieceKey k = keyOf(*p);
            if (wanted.count(k) && !taken.count(k))
                taken.emplace(k, std::move(p));
            else
                kept.push_back(std::move(p));
        }
        list->insertAll(0, std::move(kept));
    };
    takeWanted(lists.box);
    takeWanted(lists.board);
    for (const auto& tray : lists.trays)
        takeWanted(tray.second);

    std::vector<const PieceState*> order;
    order.reserve(side.size());
    for (const PieceState& s : side)
        order.push_back(&s);
    // Lowest places first, so that each lands where it was among the rest.
    std::stable_sort(order.begin(), order.end(),
                     [](const PieceState* a, const PieceState* b) { return listOrder(*a, *b); });
    PieceList* fallback = lists.box ? lists.box : lists.board;
    for (const PieceState* s : order) {
        const auto it = taken.find(s->key());
        if (it == taken.end())
            continue;
        PieceList::Ptr p = std::move(it->second);
        taken.erase(it);
        p->x = s->x;
        p->y = s->y;
        p->fixed = s->fixed;
        p->carried = 0;
        if (p->rotation != s->rotation) {
            p->rotation = s->rotation;
            if (rebuild)
                rebuild(*p);
        }
        PieceList* list = lists.find(s->where, s->tray);
        if (!list)
            list = fallback;
        if (list)
            list->insert(std::clamp(s->index, 0, list->size()), std::move(p));
    }
}

namespace {

// The pieces a step moves, and whether it changes the trays.
struct Touch {
    std::unordered_set<PieceKey> pieces;
    bool trays = false;

    void add(const Step& s)
    {
        for (const auto* side : {&s.before, &s.after})
            for (const PieceState& p : *side)
                pieces.insert(p.key());
        trays = trays || s.traysBefore || s.traysAfter;
    }
    bool meets(const Step& s) const
    {
        if (trays && (s.traysBefore || s.traysAfter))
            return true;
        for (const auto* side : {&s.before, &s.after})
            for (const PieceState& p : *side)
                if (pieces.count(p.key()))
                    return true;
        return false;
    }
};

} // namespace

void UndoHistory::dropStepsMeeting(const Step& fixing)
{
    // From the latest back: a step that moved a piece the lock took, or a
    // piece such a step moved, could only be undone by moving it through
    // the lock; the steps that never met one still find their pieces as
    // they left them, and stay.
    Touch blocked;
    blocked.add(fixing);
    for (auto it = undo_.end(); it != undo_.begin();) {
        --it;
        if (blocked.meets(*it)) {
            blocked.add(*it);
            it = undo_.erase(it);
        }
    }
}

UndoHistory::Kept UndoHistory::record(Step step)
{
    if (step.fixesPieces()) {
        redo_.clear();
        dropStepsMeeting(step);
        return Kept::Final;
    }
    redo_.clear();
    undo_.push_back(std::move(step));
    while (undo_.size() > kMaxSteps)
        undo_.pop_front();
    return Kept::Step;
}

void UndoHistory::undone()
{
    if (undo_.empty())
        return;
    redo_.push_back(std::move(undo_.back()));
    undo_.pop_back();
}

void UndoHistory::redone()
{
    if (redo_.empty())
        return;
    undo_.push_back(std::move(redo_.back()));
    redo_.pop_back();
}

void UndoHistory::clear()
{
    undo_.clear();
    redo_.clear();
}

size_t UndoHistory::bytes() const
{
    size_t n = sizeof(*this);
    for (const auto* list : {&undo_, &redo_})
        for (const Step& s : *list)
            n += s.bytes();
    return n;
}

} // namespace undo_history
