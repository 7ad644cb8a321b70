// A host of libmail.so as its users write them, built with AddressSanitizer
// so that anything the library does to the host's memory at exit shows.
//
//   mail_host return BIN     Qt host: German selected, the dialog filled and
//                            sent (the record holds data), returns from main
//   mail_host exit BIN       the same, leaving through exit() instead
//   mail_host unload BIN     the same, closing the library before returning
//   mail_host nodisplay BIN  no Qt of its own and no display at all: both
//                            entry points must refuse, not abort
//
// BIN holds libmail.so and mail_lg.so; they are copied into a folder of the
// host's own with the "Wenloft.ini" that selects the language.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dlfcn.h>

namespace {

using ContentFn = int32_t (*)();
using SendFn = int32_t (*)(const char* const*, void*);

bool writeText(const QString& path, const QByteArray& text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

// The library and its German texts in a folder whose settings pick German.
QString prepareFolder(const QTemporaryDir& dir, const QString& bin)
{
    const QString suite = dir.filePath(QStringLiteral("suite.ini"));
    for (const char* name : {"libmail.so", "mail_lg.so"})
        if (!QFile::copy(bin + QLatin1Char('/') + QLatin1String(name), dir.filePath(QLatin1String(name))))
            return QString();
    if (!writeText(dir.filePath(QStringLiteral("Wenloft.ini")), "[Scan Setting]\r\nPath=" + suite.toUtf8() + "\r\n")
        || !writeText(suite, "[CaseInfo]\r\nDSSectionName=Case1\r\n[Case1]\r\nLanguage=german\r\n"))
        return QString();
    return dir.filePath(QStringLiteral("libmail.so"));
}

int fail(const char* what)
{
    std::fprintf(stderr, "mail_host: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return fail("usage: mail_host return|exit|unload|nodisplay BIN");
    const QByteArray mode = argv[1];
    if (mode == "nodisplay") {
        for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            unsetenv(v);
        void* lib = dlopen((QByteArray(argv[2]) + "/libmail.so").constData(), RTLD_NOW | RTLD_LOCAL);
        if (!lib)
            return fail(dlerror());
        auto content = reinterpret_cast<ContentFn>(dlsym(lib, "MailContent"));
        auto send = reinterpret_cast<SendFn>(dlsym(lib, "MailStartSend"));
        if (content() != 0 || send(nullptr, nullptr) != 0)
            return fail("an entry point claimed success without a display");
        return 0;
    }

    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString library = prepareFolder(dir, QString::fromLocal8Bit(argv[2]));
    if (library.isEmpty())
        return fail("cannot prepare the library's folder");
    // Under AddressSanitizer every dlopen seems to come from the sanitizer's
    // runtime, so the library's RUNPATH ($ORIGIN) is not searched; loaded
    // first, the language library is found by its bare name all the same.
    if (!dlopen(QFile::encodeName(dir.filePath(QStringLiteral("mail_lg.so"))).constData(), RTLD_NOW | RTLD_LOCAL))
        return fail(dlerror());
    void* lib = dlopen(QFile::encodeName(library).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!lib)
        return fail(dlerror());
    auto content = reinterpret_cast<ContentFn>(dlsym(lib, "MailContent"));

    QString title;
    QTimer::singleShot(0, [&] {
        QWidget* d = QApplication::activeModalWidget();
        if (!d)
            return;
        title = d->windowTitle();
        d->findChild<QLineEdit*>(QStringLiteral("1007"))->setText(QStringLiteral("bob@example.com"));
        d->findChild<QLineEdit*>(QStringLiteral("1021"))->setText(QStringLiteral("alice@example.org"));
        d->findChild<QLineEdit*>(QStringLiteral("1005"))->setText(QStringLiteral("Kept until exit"));
        d->findChild<QPushButton*>(QStringLiteral("1001"))->click();
    });
    if (content() == 0)
        return fail("the dialog did not collect a recipient");
    if (title.isEmpty() || title == QLatin1String("E-Mail setting"))
        return fail("the German texts were not in force");
    std::fflush(nullptr);
    if (mode == "exit")
        std::exit(0);
    if (mode == "unload" && dlclose(lib) != 0)
        return fail(dlerror());
    return 0;
}
