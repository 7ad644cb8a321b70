#include "wizard_pages.h"

#include "frontend_art.h"
#include "vorlin_app.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

namespace {

struct Option {
    const char* bitmap;
    QRect rect;
    int value;
    const char* name; // what a screen reader says: the option's label
};

struct PageLayout {
    const char* title;
    QRect titleRect;
    std::initializer_list<Option> options;
    int start;
};

// Page by page, options top to bottom; rectangles in page coordinates.
const PageLayout& layoutOf(int page)
{
    using skin::box;
    static const PageLayout pages[CWizardPage::kPages] = {
        {"02_GETIMAGE", box(46, 0, 276, 52),
         {{"02_GET_OPEN", box(84, 82, 264, 111), 0, "Open a picture file"},
          {"02_GET_SCAN", box(86, 139, 286, 168), 1, "Scan a picture"}},
         0},
        {"02_LEVEL", box(46, 0, 276, 52),
         {{"02_LEVEL_EASY", box(93, 84, 171, 113), 0, "Easy"},
          {"02_LEVEL_NORMAL", box(91, 142, 218, 171), 1, "Normal"},
          {"02_LEVEL_HARD", box(106, 202, 191, 231), 2, "Hard"},
          {"02_LEVEL_OTHER", box(92, 264, 221, 294), 3, "Custom..."}},
         0},
        {"03_ROTATE", box(37, 0, 287, 52),
         {{"03_ROTATE_YES", box(144, 84, 199, 113), 1, "Yes"}, {"03_ROTATE_NO", box(142, 141, 185, 170), 0, "No"}},
         1},
        {"04_SAVENAME", box(46, 0, 276, 52), {}, 0},
        {"05_CREATE", box(94, 0, 227, 52),
         {{"05_CREATE_PLAY", box(120, 87, 221, 124), 0, "Play it"},
          {"05_CREATE_EMAIL", box(126, 150, 238, 178), 1, "E-mail it"}},
         0},
    };
    return pages[page - 1];
}

constexpr QRect kNameRect = skin::box(86, 91, 231, 111);

} // namespace

CWizardPage::CWizardPage(CVorlinApp& app, QWidget* frame, int number)
    : SkinWindow(app, frame, kArea.size()), number_(number)
{
    // A page is a child of the frame, not a window of its own.
    setWindowFlags(Qt::Widget);
    move(kArea.topLeft());
    setBackground(frontendBitmap(QStringLiteral("02_MAIN")), kArea.topLeft());
    const PageLayout& layout = layoutOf(number);
    title_ = frontendBitmap(QLatin1String(layout.title));
    titleRect_ = layout.titleRect;
    for (const Option& o : layout.options)
        addRadio(frontendBitmap(QLatin1String(o.bitmap)), o.rect, o.value, QLatin1String(o.name));
    setRadioValue(layout.start);
    if (number == 4) {
        name_ = new QLineEdit(this);
        name_->setObjectName(QStringLiteral("1007"));
        name_->setGeometry(kNameRect);
        name_->setMaxLength(kMaxName);
        name_->setAccessibleName(QStringLiteral("Puzzle name"));
        name_->installEventFilter(this);
        connect(name_, &QLineEdit::textChanged, this, &CWizardPage::nameChanged);
    }
}

QString CWizardPage::name() const { return name_ ? name_->text() : QString(); }

void CWizardPage::focusName()
{
    if (name_)
        focusEntry(name_);
}

void CWizardPage::paintContent(QPainter& p)
{
    p.drawImage(titleRect_.topLeft(), title_);
}

bool CWizardPage::mouseBlocked() const
{
    // While a picture is being obtained the first page must not start another.
    return number_ == 1 && app().busy;
}

bool CWizardPage::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == name_ && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit enterPressed();
            return true;
        }
    }
    return SkinWindow::eventFilter(watched, e);
}
