// What a screen reader finds in the player. Its buttons and menu rows are
// painted, not widgets, so each gets an accessible part of its own under the
// widget that paints it; the current piece, a hint and the finish are told
// through the frame's accessible description, whose changes are announced.

#include "main_frame.h"

#include "board_rules.h"
#include "board_view.h"
#include "command_ids.h"
#include "edge_order.h"
#include "frame_caption.h"
#include "frame_host.h"
#include "piece.h"
#include "piece_description.h"
#include "piece_strip.h"
#include "player_state.h"
#include "popup_menu.h"
#include "tile_mender_doc.h"
#include "tray_wnd.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPointer>

#include <functional>
#include <vector>

namespace {

// What one painted part is: its name, where it lies in its widget, its state.
struct PartInfo {
    QString name;
    QRect rect;
    bool checkable = false;
    bool checked = false;
    bool unavailable = false;
    bool selectable = false;
    bool selected = false;
};
using PartsOf = std::function<std::vector<PartInfo>(QWidget*)>;

class PaintedPart : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    PaintedPart(QWidget* owner, QAccessible::Role role, int index, PartsOf parts)
        : owner_(owner), role_(role), index_(index), parts_(std::move(parts))
    {
    }
    void* interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    // A reader (or a voice control) presses a painted button as the mouse
    // would: a click in its middle. Unavailable parts offer nothing.
    QStringList actionNames() const override
    {
        return isValid() && !info().unavailable ? QStringList{pressAction()} : QStringList();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
    void doAction(const QString& action) override
    {
        if (action != pressAction() || actionNames().isEmpty())
            return;
        const QPoint at = info().rect.center();
        const QPoint global = owner_->mapToGlobal(at);
        // Posted, not sent: the click may close a menu and this part with
        // it while the reader's call is still on its way back. A menu row
        // is chosen by the press alone.
        QCoreApplication::postEvent(owner_, new QMouseEvent(QEvent::MouseButtonPress, QPointF(at), QPointF(global),
                                                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        if (role_ != QAccessible::MenuItem)
            QCoreApplication::postEvent(owner_, new QMouseEvent(QEvent::MouseButtonRelease, QPointF(at), QPointF(global),
                                                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    }
    bool isValid() const override { return owner_ && index_ < int(parts_(owner_).size()); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return owner_ ? owner_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(owner_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && isValid() ? info().name : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        if (!isValid())
            return QRect();
        const QRect r = info().rect;
        return QRect(owner_->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return role_; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid())
            return s;
        const PartInfo i = info();
        s.checkable = i.checkable;
        s.checked = i.checked;
        s.disabled = i.unavailable;
        // The row drawn bright under the cursor is the one a click would choose.
        s.selectable = i.selectable;
        s.selected = i.selected;
        s.focusable = i.selectable;
        s.focused = i.selected;
        s.invisible = !owner_->isVisible();
        return s;
    }

private:
    PartInfo info() const { return parts_(owner_)[size_t(index_)]; }
    QPointer<QWidget> owner_;
    QAccessible::Role role_;
    int index_;
    PartsOf parts_;
};

// The frame's news as a reader's notification: Orca says a notification
// each time one shows, the same words again included, where a change of the
// frame's description reaches it from Qt 6.4 without its words (the bridge
// sends the object instead). It stands on a plain QObject child of the
// frame, so that Qt's cache deletes it with the frame and the painted parts
// stay the frame's only children without an object.
class Announcement : public QAccessibleInterface {
public:
    explicit Announcement(QObject* anchor)
        : anchor_(anchor)
    {
    }
    bool isValid() const override { return anchor_ && frame(); }
    QObject* object() const override { return anchor_; }
    QWindow* window() const override { return frame() ? frame()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(frame()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && isValid() ? frame()->accessibleDescription() : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override { return QRect(); }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.invisible = !isValid() || frame()->accessibleDescription().isEmpty();
        return s;
    }

private:
    QWidget* frame() const { return anchor_ ? qobject_cast<QWidget*>(anchor_->parent()) : nullptr; }
    QPointer<QObject> anchor_;
};

const char* const kAnnouncementAnchor = "announcement";

// The frame's announcement, made on first use; null for any other widget.
QAccessibleInterface* announcementOf(QWidget* frame, bool make)
{
    if (!frame || !frame->inherits("CMainFrame"))
        return nullptr;
    QObject* anchor = frame->findChild<QObject*>(QLatin1String(kAnnouncementAnchor), Qt::FindDirectChildrenOnly);
    if (!anchor) {
        if (!make)
            return nullptr;
        anchor = new QObject(frame);
        anchor->setObjectName(QLatin1String(kAnnouncementAnchor));
        auto* iface = new Announcement(anchor);
        QAccessible::registerAccessibleInterface(iface);
        return iface;
    }
    return QAccessible::queryAccessibleInterface(anchor);
}

// A widget whose painted parts come after its child widgets.
class WidgetWithParts : public QAccessibleWidget {
public:
    WidgetWithParts(QWidget* w, QAccessible::Role role, QAccessible::Role partRole, PartsOf parts,
                    std::function<QString(QWidget*)> name = {})
        : QAccessibleWidget(w, role), partRole_(partRole), parts_(std::move(parts)), name_(std::move(name))
    {
    }
    QString text(QAccessible::Text t) const override
    {
        // A name the widget was given wins over the one the player knows it by.
        if (t == QAccessible::Name && name_ && widget()->accessibleName().isEmpty())
            return name_(widget());
        return QAccessibleWidget::text(t);
    }
    ~WidgetWithParts() override
    {
        for (QAccessible::Id id : ids_)
            QAccessible::deleteAccessibleInterface(id);
    }
    int partCount() const { return int(parts_(widget()).size()); }
    // The frame's announcement comes last, once there was news.
    QAccessibleInterface* announcement() const { return announcementOf(widget(), false); }
    int childCount() const override
    {
        return QAccessibleWidget::childCount() + partCount() + (announcement() ? 1 : 0);
    }
    QAccessibleInterface* child(int i) const override
    {
        const int widgets = QAccessibleWidget::childCount();
        if (i < widgets)
            return QAccessibleWidget::child(i);
        const int part = i - widgets;
        if (part == partCount())
            return announcement();
        if (part > partCount())
            return nullptr;
        while (int(ids_.size()) <= part) {
            auto* iface = new PaintedPart(widget(), partRole_, int(ids_.size()), parts_);
            ids_.push_back(QAccessible::registerAccessibleInterface(iface));
        }
        return QAccessible::accessibleInterface(ids_[size_t(part)]);
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        // A reader asks what lies under the pointer; a painted button is
        // found there as a child widget would be. Widgets lie above the
        // paint, and the one on top wins: an open menu over the column.
        QWidget* self = widget();
        if (QWidget* hit = self->childAt(self->mapFromGlobal(QPoint(x, y)))) {
            while (hit->parentWidget() != self)
                hit = hit->parentWidget();
            if (QAccessibleInterface* i = QAccessible::queryAccessibleInterface(hit))
                return i;
        }
        for (int i = 0; i < partCount(); ++i) {
            QAccessibleInterface* part = child(QAccessibleWidget::childCount() + i);
            if (part && part->rect().contains(x, y))
                return part;
        }
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* c) const override
    {
        for (size_t i = 0; i < ids_.size(); ++i) {
            if (QAccessible::accessibleInterface(ids_[i]) == c)
                return QAccessibleWidget::childCount() + int(i);
        }
        if (c && c == announcement())
            return QAccessibleWidget::childCount() + partCount();
        return QAccessibleWidget::indexOfChild(c);
    }

private:
    QAccessible::Role partRole_;
    PartsOf parts_;
    std::function<QString(QWidget*)> name_;
    mutable std::vector<QAccessible::Id> ids_;
};

std::vector<PartInfo> captionButtons(QWidget*)
{
    static const char* const names[] = {"Game", "Options", "Help", "Minimize", "Close"};
    std::vector<PartInfo> parts;
    for (int b = CMainFrame::Game; b <= CMainFrame::Close; ++b)
        parts.push_back({QString::fromLatin1(names[b - 1]), frame_caption::buttonRect(CMainFrame::CaptionButton(b))});
    return parts;
}

std::vector<PartInfo> pictureButtons(QWidget* w)
{
    static const char* const names[] = {"Rotate", "Restart", "Hint", "Add tray"};
    // Rotate does nothing in a puzzle whose pieces do not turn.
    const auto* frame = qobject_cast<const CMainFrame*>(w->window());
    const bool turning = !frame || frame->app().playerState().rotationAllowed != 0;
    std::vector<PartInfo> parts;
    for (int b = CTileMenderView::Rotate; b <= CTileMenderView::AddTray; ++b) {
        parts.push_back({QString::fromLatin1(names[b - 1]), CTileMenderView::buttonRect(CTileMenderView::Button(b))});
        parts.back().unavailable = b == CTileMenderView::Rotate && !turning;
    }
    return parts;
}

std::vector<PartInfo> trayButtons(QWidget* w)
{
    const auto* tray = static_cast<const CTrayWnd*>(w);
    // The left button of the title band brings a minimised tray back.
    return {{tray->isMinimizedTray() ? QStringLiteral("Restore") : QStringLiteral("Minimize"), tray->minimizeButtonRect()},
            {QStringLiteral("Close"), tray->closeButtonRect()}};
}

QString trayTitle(QWidget* w) { return static_cast<const CTrayWnd*>(w)->title(); }

std::vector<PartInfo> menuRows(QWidget* w)
{
    const auto* menu = static_cast<const CPopupMenuWnd*>(w);
    std::vector<PartInfo> parts;
    int row = 0;
    for (const CPopupMenuWnd::Item& item : menu->items()) {
        PartInfo part{item.text, QRect(0, row++ * CPopupMenuWnd::kRowHeight, w->width(), CPopupMenuWnd::kRowHeight)};
        // Undo and Redo are crossed out when there is nothing to do; the
        // switches of the Options menu are crossed out when they are off.
        const bool action = item.command == cmd::kUndo || item.command == cmd::kRedo;
        part.unavailable = action && item.state == CPopupMenuWnd::Crossed;
        part.checkable = !action && item.state != CPopupMenuWnd::Plain;
        part.checked = item.state == CPopupMenuWnd::Checked;
        part.selectable = true;
        part.selected = row - 1 == menu->hotRow();
        parts.push_back(part);
    }
    return parts;
}

// A menu is called after the caption button that opens it, as a reader says
// "Game menu"; the Game menu is the one holding the game's own commands.
QString menuName(QWidget* w)
{
    for (const CPopupMenuWnd::Item& item : static_cast<const CPopupMenuWnd*>(w)->items()) {
        if (item.command == cmd::kLoadGame || item.command == cmd::kFileSave || item.command == cmd::kAppExit)
            return QStringLiteral("Game");
    }
    return QStringLiteral("Options");
}

// A part of the window without painted parts of its own, with a name a reader can say.
class NamedPane : public QAccessibleWidget {
public:
    NamedPane(QWidget* w, QString name)
        : QAccessibleWidget(w, QAccessible::Pane), name_(std::move(name))
    {
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return name_;
        return QAccessibleWidget::text(t);
    }

private:
    QString name_;
};

QAccessibleInterface* playerAccessible(const QString& className, QObject* object)
{
    auto* w = qobject_cast<QWidget*>(object);
    if (!w)
        return nullptr;
    auto named = [](const char* name) { return [name](QWidget*) { return QString::fromLatin1(name); }; };
    if (className == QLatin1String("CMainFrame")) {
        // The notification is there from the reader's first look, so that
        // the frame's children do not change under it with the first news.
        announcementOf(w, true);
        return new WidgetWithParts(w, QAccessible::Window, QAccessible::Button, captionButtons);
    }
    // A reader says "filler" for a client area and skips it: the board and
    // the column are panes with names, so that their buttons have a place.
    if (className == QLatin1String("CTileMenderView"))
        return new WidgetWithParts(w, QAccessible::Pane, QAccessible::Button, pictureButtons, named("Board"));
    if (className == QLatin1String("CDockPanel"))
        return new NamedPane(w, w->windowTitle());
    if (className == QLatin1String("CPieceStrip"))
        return new NamedPane(w, QStringLiteral("Pieces"));
    if (className == QLatin1String("CTrayWnd"))
        return new WidgetWithParts(w, QAccessible::Pane, QAccessible::Button, trayButtons, trayTitle);
    if (className == QLatin1String("CPopupMenuWnd"))
        return new WidgetWithParts(w, QAccessible::PopupMenu, QAccessible::MenuItem, menuRows, menuName);
    return nullptr;
}

piece_description::Shape shapeOf(const CPiece& p, const CTileMenderDoc& doc)
{
    switch (edge_order::placeOf(p, {doc.columns(), doc.rows()})) {
    case edge_order::Place::Corner:
        return piece_description::Shape::Corner;
    case edge_order::Place::Edge:
        return piece_description::Shape::Edge;
    case edge_order::Place::Interior:
        break;
    }
    return piece_description::Shape::Interior;
}

} // namespace

void installPlayerAccessibility()
{
    static bool installed = false;
    if (!installed)
        QAccessible::installFactory(playerAccessible);
    installed = true;
}

QString CMainFrame::currentPieceDescription() const
{
    using namespace piece_description;
    if (!current_)
        return nothingCurrent();
    Facts f;
    f.shape = shapeOf(*current_, *doc_);
    const int k = doc_->cellSize();
    if (view_->keyCarrying() || current_->carried) {
        f.where = Where::Carried;
        f.groupSize = std::max(1, int(view_->carriedPieces().size()));
    } else if (currentKind_ == ContainerKind::Board) {
        f.where = Where::Board;
        f.fixed = current_->fixed != 0;
        f.groupSize = int(board_rules::group(view_->grid(), *current_, k).size());
    } else if (currentKind_ == ContainerKind::Tray) {
        f.where = Where::Tray;
        if (const auto* tray = qobject_cast<const CTrayWnd*>(currentContainer_.data()))
            f.trayTitle = tray->title();
    } else if (const CPieceStrip* s = strip(); s && s->list()) {
        const edge_order::ShownPieces shown = s->shownPieces();
        const int index = s->list()->indexOf(current_);
        const int row = shown.filtered() ? shown.shownRow(index) : index;
        f.where = Where::Column;
        f.position = row + 1;
        f.shown = shown.count();
    }
    return describe(f);
}

void CMainFrame::announce(const QString& text)
{
    // Qt's setter tells the reader of every new description itself, the same
    // words included (a second hint is news); one more event of our own had
    // each piece and hint read twice. The description stays what a reader
    // finds when asked where it is; the notification is what it says.
    setAccessibleDescription(text);
    if (QAccessibleInterface* news = announcementOf(this, true); news && QAccessible::isActive()) {
        QAccessibleEvent shown(news, QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&shown);
    }
    emit announced(text);
}

void CMainFrame::announceCurrent() { announce(currentPieceDescription()); }

void CMainFrame::announceHint()
{
    if (hintList_.empty() || !hintList_.front().piece)
        return;
    const HintEntry& h = hintList_.front();
    using piece_description::Where;
    const Where where = h.kind == ContainerKind::Board  ? Where::Board
                        : h.kind == ContainerKind::Tray ? Where::Tray
                                                        : Where::Column;
    const auto* tray = qobject_cast<const CTrayWnd*>(h.container.data());
    announce(piece_description::hint(where, tray ? tray->title() : QString()));
}
