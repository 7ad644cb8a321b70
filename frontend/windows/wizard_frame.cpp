#include "wizard_frame.h"

#include "frontend_art.h"
#include "message_box.h"
#include "minimised_pair.h"
#include "picture_source.h"
#include "puzzle_maker.h"
#include "puzzle_names.h"
#include "vorlin_app.h"
#include "wizard_pages.h"

#include <QDir>
#include <QFontMetrics>
#include <QPainter>

CWizardFrame::CWizardFrame(CVorlinApp& app, MakerUi& ui, QWidget* parent)
    : SkinWindow(app, parent, kSize), ui_(ui), title_(frontendBitmap(QStringLiteral("08_NEWGAME")))
{
    setBackground(frontendBitmap(QStringLiteral("02_MAIN")));
    addCaptionButtons();
    addButton(frontendBitmap(QStringLiteral("02_BACK")), kBackRect, QStringLiteral("Back"));
    addButton(frontendBitmap(QStringLiteral("02_NEXT")), kNextRect, QStringLiteral("Next"));
    addButton(frontendBitmap(QStringLiteral("02_FINISH")), kNextRect, QStringLiteral("Finish"));
    addButton(frontendBitmap(QStringLiteral("HOME")), kHomeRect, QStringLiteral("Home"));
    for (int n = 1; n <= CWizardPage::kPages; ++n) {
        pages_[n - 1] = new CWizardPage(app, this, n);
        pages_[n - 1]->setVisible(n == 1);
    }
    connect(pages_[3], &CWizardPage::nameChanged, this, &CWizardFrame::redrawName);
    connect(pages_[3], &CWizardPage::enterPressed, this, [this] { OnCommand(Next); });
    setButtonVisible(Finish, false);
    centreOnScreen(this);
    app.wizardPage = 1;
    app.childWindow = this;
    new MinimisedPair(app, this);
}

CWizardFrame::~CWizardFrame()
{
    app().wizardPage = 0;
}

QString CWizardFrame::name() const { return pages_[3]->name(); }

void CWizardFrame::done(int result)
{
    // However the wizard ends, no wizard page is open any more.
    app().wizardPage = 0;
    SkinWindow::done(result);
}

bool CWizardFrame::mouseBlocked() const { return app().busy; }

void CWizardFrame::onButtonClick(int button)
{
    if (!handleCaptionClick(button))
        OnCommand(button);
}

void CWizardFrame::OnCommand(int button)
{
    switch (button) {
    case Back: back(); break;
    case Next: next(); break;
    case Finish: finish(); break;
    case Home: home(); break;
    case Close: reject(); break;
    case Help: app().OpenHelp(this); break;
    case Minimise: app().minimiseTogether(this); break;
    default: break;
    }
}

void CWizardFrame::showPage(int number)
{
    pages_[page_ - 1]->hide();
    page_ = number;
    app().wizardPage = int16_t(number);
    pages_[number - 1]->show();
    setButtonVisible(Next, number < CWizardPage::kPages);
    setButtonVisible(Finish, number == CWizardPage::kPages);
}

void CWizardFrame::next()
{
    PuzzleMaker& maker = app().maker();
    CWizardPage* current = pages_[page_ - 1];
    switch (page_) {
    case 1:
        if (!getPicture(current->value()))
            return;
        makePreview(maker.MakeWorkingPreview());
        showPage(2);
        update();
        break;
    case 2:
        if (!maker.PrepareLevel(current->value(), ui_))
            return;
        makePreview(maker.MakePuzzlePreview());
        showPage(3);
        update(kPreviewArea);
        break;
    case 3:
        maker.SetRotation(current->value());
        showPage(4);
        pages_[3]->focusName();
        break;
    case 4:
        // Refused here, where it is typed, rather than by Finish a page later.
        if (const QString why = puzzle_names::whyNotUsable(name()); !why.isEmpty()) {
            messageBox(this, why, CVorlinApp::productTitle(), mb::Ok | mb::IconExclamation);
            return;
        }
        showPage(5);
        update();
        break;
    default:
        break;
    }
}

void CWizardFrame::back()
{
    if (page_ == 1) {
        reject();
        return;
    }
    const int from = page_;
    showPage(page_ - 1);
    if (from == 2) {
        preview_ = QImage();
        update(kPreviewArea);
    } else if (from == 3) {
        makePreview(app().maker().workingPreview);
        update(kPreviewArea);
    } else if (from == 4) {
        // Page 3 shows no name: take the drawn one away.
        update(nameShown_);
    } else if (from == 5) {
        update();
    }
}

void CWizardFrame::finish()
{
    QString n = name();
    if (!n.isEmpty() && !writePuzzle(n))
        return;
    // After a No to the overwrite question the puzzle on disk may be spelt
    // otherwise (Cat for cat): the player and the package need that file.
    n = puzzle_names::storedSpelling(app().folders().data, n);
    if (pages_[4]->value() == 0)
        app().startPlayer(n);
    else
        app().EmailPuzzle(n, this);
    accept();
}

void CWizardFrame::home()
{
    if (page_ == CWizardPage::kPages && !name().isEmpty() && !writePuzzle(name()))
        return;
    reject();
}

bool CWizardFrame::writePuzzle(const QString& n)
{
    PuzzleMaker& maker = app().maker();
    if (maker.WritePuzzle(n, ui_) || maker.lastError().isEmpty())
        return true;
    // A No to the overwrite question goes on with the puzzle already there;
    // a puzzle that could not be written must not be played or sent as if it was.
    messageBox(this, maker.lastError(), CVorlinApp::productTitle(), mb::Ok | mb::IconExclamation);
    return false;
}

bool CWizardFrame::getPicture(int source)
{
    // Finding and opening a scanner can hold the program for seconds before
    // any dialog shows: Next must not stay drawn pressed all that time.
    resetButtons();
    repaint();
    app().busy = true;
    const bool ok = source == 0 ? picture_source::LoadFromFile(app().maker(), this)
                                : picture_source::LoadFromScanner(app().maker(), this);
    app().busy = false;
    return ok;
}

bool CWizardFrame::startWithPicture(const QString& path)
{
    if (page_ != 1)
        return false;
    PuzzleMaker& maker = app().maker();
    app().busy = true;
    const bool ok = maker.LoadFromPath(path);
    app().busy = false;
    if (!ok) {
        const QString why = maker.lastError().isEmpty()
                                ? QStringLiteral("Cannot read the picture %1.").arg(QDir::toNativeSeparators(path))
                                : maker.lastError();
        messageBox(this, why, CVorlinApp::productTitle(), mb::Ok | mb::IconExclamation);
        return false;
    }
    pages_[0]->selectValue(0);
    makePreview(maker.MakeWorkingPreview());
    showPage(2);
    update();
    return true;
}

QSize CWizardFrame::previewSize(QSize picture)
{
    const double fx = picture.width() / double(kPreviewSide);
    const double fy = picture.height() / double(kPreviewSide);
    if (fx <= 1 && fy <= 1)
        return picture;
    if (fx > fy)
        return QSize(kPreviewSide, int(picture.height() / fx));
    return QSize(int(picture.width() / fy), kPreviewSide);
}

QRect CWizardFrame::previewRect(QSize preview)
{
    const QRect a = kPreviewArea;
    return QRect(a.left() + 20 + (a.width() - 40 - preview.width()) / 2,
                 a.top() + 20 + (a.height() - 40 - preview.height()) / 2, preview.width(), preview.height());
}

QRect CWizardFrame::nameRect(const QFontMetrics& metrics, const QString& n)
{
    const int w = metrics.horizontalAdvance(n);
    return QRect(20 + (kPreviewArea.width() - w) / 2, kPreviewArea.bottom() + 1 - 20, w, metrics.height());
}

void CWizardFrame::makePreview(const ToolkitBitmap& source)
{
    if (source.isNull()) {
        preview_ = QImage();
        return;
    }
    const QSize size = previewSize(source.image.size());
    preview_ = size == source.image.size()
                   ? source.image
                   : source.image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void CWizardFrame::redrawName()
{
    // The old text's place gets its background back, then the new text.
    update(nameShown_);
    update(nameRect(QFontMetrics(font()), name()));
}

void CWizardFrame::paintContent(QPainter& p)
{
    p.drawImage(kTitleRect.topLeft(), title_);
    if (page_ >= 2 && !preview_.isNull())
        p.drawImage(previewRect(preview_.size()), preview_);
    if (page_ >= 4) {
        p.setFont(font());
        p.setPen(Qt::black);
        const QString n = name();
        nameShown_ = nameRect(p.fontMetrics(), n);
        p.drawText(nameShown_, Qt::AlignLeft | Qt::AlignTop, n);
    }
}
