#pragma once
// The new-puzzle wizard: five pages over one frame that shows the picture's
// preview and leads the user from a picture to a written puzzle. The picture
// and the pieces live in the application's PuzzleMaker; the frame only
// collects choices, calls the maker at the right moments and hands over.

#include "skin_window.h"

#include "imaging.h"

#include <array>

class CWizardPage;
class MakerUi;

class CWizardFrame : public SkinWindow {
    Q_OBJECT
public:
    static constexpr QSize kSize{800, 600};
    static constexpr QRect kTitleRect = skin::box(0, 42, 215, 93);
    static constexpr QRect kBackRect = skin::box(547, 414, 649, 478);
    static constexpr QRect kNextRect = skin::box(678, 408, 780, 474);
    static constexpr QRect kHomeRect = skin::box(616, 479, 728, 587);
    static constexpr QRect kPreviewArea = skin::box(35, 116, 482, 563);
    // A preview fits the area less 20 pixels on every side.
    static constexpr int kPreviewSide = 407;

    enum ButtonId { Help, Minimise, Close, Back, Next, Finish, Home };

    // `ui` answers the maker's questions (custom level, overwrite, progress).
    CWizardFrame(CVorlinApp& app, MakerUi& ui, QWidget* parent = nullptr);
    ~CWizardFrame() override;

    int page() const { return page_; }
    CWizardPage* pageWindow(int number) const { return pages_[number - 1]; }
    QString name() const;

    void OnCommand(int button);
    // Takes this picture as if it had been chosen from a file on the first
    // page and goes on to the second; a picture that cannot be used is said
    // why, and the first page stays.
    bool startWithPicture(const QString& path);

    // The size a picture is shown at: shrunk to fit kPreviewSide square
    // keeping its proportions, never enlarged.
    static QSize previewSize(QSize picture);
    // Where a preview of that size is drawn, centred in the preview area.
    static QRect previewRect(QSize preview);
    // Where the name is drawn under the preview.
    static QRect nameRect(const QFontMetrics& metrics, const QString& name);

protected:
    void onButtonClick(int button) override;
    void paintContent(QPainter& p) override;
    bool mouseBlocked() const override;
    // Escape goes back a page, as Back does (and on the first page closes).
    int backButton() const override { return Back; }
    void done(int result) override;

private:
    void next();
    void back();
    void finish();
    void home();
    bool writePuzzle(const QString& name);
    void showPage(int number);
    bool getPicture(int source);
    void makePreview(const ToolkitBitmap& source);
    void redrawName();

    MakerUi& ui_;
    std::array<CWizardPage*, 5> pages_{};
    int page_ = 1;
    QImage title_;
    QImage preview_;  // what the preview area shows now (null: nothing)
    QRect nameShown_; // where the name was drawn last
};
