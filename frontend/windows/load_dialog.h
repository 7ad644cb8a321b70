#pragma once
// The list of saved puzzles: six framed thumbnails to a page with their
// names and sizes, and the buttons that play, e-mail, rename and delete the
// selected one. The list is read from the library each time the window
// opens; deletions reach the library file when the window closes, renames
// at once.

#include "load_model.h"
#include "puzzle_entry.h"
#include "skin_window.h"

#include <vector>

class CLoadDialog : public SkinWindow {
    Q_OBJECT
public:
    static constexpr QSize kSize{800, 600};
    static constexpr QRect kMainPictureRect = skin::box(512, 36, 800, 135);
    static constexpr QRect kTitleRect = skin::box(0, 42, 215, 93);
    static constexpr QRect kListArea = skin::box(35, 116, 482, 563);

    // In hit-test order: the first rectangle holding the point wins.
    enum ButtonId { Home, Play, Email, Rename, Delete, PageUp, PageDown, Help, Minimise, Close };
    static QRect rectOf(ButtonId b);
    // What a screen reader calls each of them.
    static QString nameOf(ButtonId b);

    explicit CLoadDialog(CVorlinApp& app, QWidget* parent = nullptr);

    const std::vector<CPuzzleEntry>& entries() const { return entries_; }
    const load_model::Pager& pager() const { return pager_; }
    int loadedCount() const { return loadedCount_; }
    // Where slot `slot` of the current page is, in window pixels.
    static QRect slotRect(int slot) { return load_model::slotRect(slot); }

    void OnCommand(int button);

protected:
    void onButtonClick(int button) override;
    void paintContent(QPainter& p) override;
    bool mouseBlocked() const override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    bool onArrowKey(skin::KeyAction action) override;
    void done(int result) override;

private:
    void fillList();
    void play();
    void email();
    void rename();
    void deleteSelected();
    void redrawSlots(const QList<int>& which);
    void paintSlot(QPainter& p, int slot) const;
    void paintInactivePageButton(QPainter& p, ButtonId b) const;
    CPuzzleEntry* selectedEntry();
    void saveList();

    std::vector<CPuzzleEntry> entries_;
    int loadedCount_ = 0;
    load_model::Pager pager_;
    QImage background_, mainPicture_, title_, frames_, pageUpStrip_, pageDownStrip_;
    bool saved_ = false;
};
