#pragma once
// The file dialog that gets a picture for a new puzzle: Qt's own open dialog
// with a preview panel below it, showing the selected picture, its size in
// pixels, its colours and its length. Previews are decoded on a worker thread
// at the size of the box, so moving through a folder of camera photos never
// stalls the dialog.

#include "bmp_preview.h"

#include <QFileDialog>
#include <QThreadPool>

class QCheckBox;
class QLabel;
class CBmpPreviewBox;

class CBmpDialog : public QFileDialog {
    Q_OBJECT
public:
    // The filter list in the "description|pattern|...||" form the wizard has always used.
    static constexpr const char* kFilter = "JPEG files(*.jpg)|*.jpg|Bitmap files(*.bmp)|*.bmp|All files(*.*)|*.*||";
    // Inside the box's frame.
    static constexpr QSize kPreviewSize{150, 150};

    explicit CBmpDialog(QWidget* parent = nullptr);
    ~CBmpDialog() override;

    // Runs the dialog; the chosen file's path, or an empty string when cancelled.
    static QString getPicture(QWidget* parent);

    // "description|pattern;pattern|...||" as Qt name filters. Patterns match
    // without regard to case, and "*.*" means every file, with or without a dot.
    static QStringList qtNameFilters(const QString& filterList);

    // "Show Preview" for the rest of the run: on at start, follows the check box.
    static bool showPreviewSetting() { return showPreview_; }

    bool hasPreview() const;
    QImage previewImage() const;
    // Where the preview is drawn, in the box's coordinates; empty without a preview.
    QRect previewDrawRect() const;
    QStringList infoLines() const;
    QCheckBox* showPreviewCheckBox() const { return check_; }

    void done(int result) override;

signals:
    // The lines and the preview now describe the selected file (or say that it
    // could not be read).
    void previewUpdated();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildPanel();
    void selectionChanged(const QString& path);
    void showPreviewClicked(bool checked);
    // Frees the preview and forgets any decode still under way.
    void freePreview();
    void setLines(const QStringList& lines);
    void applyResult(quint64 ticket, const bmppreview::PictureInfo& info);

    CBmpPreviewBox* box_ = nullptr;
    QLabel* lines_[4] = {};
    QCheckBox* check_ = nullptr;
    QString current_;
    // Only the newest request may show; older results are dropped on arrival.
    quint64 ticket_ = 0;
    QThreadPool decoder_;

    static bool showPreview_;
};
