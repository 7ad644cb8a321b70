// A second program for the window-link tests: it shows itself under the
// title it is given, answers each message with wParam + lParam, and ends
// after message 1124.
#include "window_link.h"

#include <QCoreApplication>
#include <QTimer>

namespace {
class Receiver : public QObject {
protected:
    bool event(QEvent* e) override
    {
        if (e->type() <= QEvent::User)
            return QObject::event(e);
        auto* m = static_cast<WindowMessageEvent*>(e);
        m->result = m->wParam + m->lParam;
        if (int(e->type()) == 1124)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return true;
    }
};
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    Receiver receiver;
    WindowLink link(QString::fromUtf8(argv[1]), &receiver);
    if (!link.isListening())
        return 3;
    QTimer::singleShot(20000, &app, &QCoreApplication::quit); // never outlive the test
    return app.exec();
}
