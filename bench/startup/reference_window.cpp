// The yardstick for start-up: the least a Qt Widgets program can do to show
// a picture. The JPEG (640 x 480 in most rows), centred in an 800 x 600
// frameless window (a larger one is clipped), centred on the screen, and
// nothing else.
//
//   startup_reference PICTURE.jpg

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QWidget>

namespace {

class PictureWindow : public QWidget {
public:
    explicit PictureWindow(QImage picture) : QWidget(nullptr, Qt::FramelessWindowHint), picture_(std::move(picture))
    {
        setFixedSize(800, 600);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::black);
        p.drawImage((width() - picture_.width()) / 2, (height() - picture_.height()) / 2, picture_);
    }

private:
    QImage picture_;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    QImage picture(QString::fromLocal8Bit(argv[1]));
    if (picture.isNull())
        return 1;
    PictureWindow w(std::move(picture));
    if (QScreen* s = QGuiApplication::primaryScreen())
        w.move((s->size().width() - 800) / 2, (s->size().height() - 600) / 2);
    w.show();
    return QApplication::exec();
}
