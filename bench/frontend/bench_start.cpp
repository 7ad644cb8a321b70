// How long a user waits for Vorlin's main menu: from starting the program to
// its first painted menu, process start, libraries and art included.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString program = QStringLiteral(VORLIN_PROGRAM);
    const char* platform = qEnvironmentVariableIsSet("DISPLAY") ? "xcb" : "offscreen";
    std::vector<double> times;
    for (int run = 0; run < 11; ++run) {
        QProcess p;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VORLIN_QUIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
        if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(platform));
        p.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        p.start(program, {QStringLiteral("-nosplash")});
        if (!p.waitForReadyRead(10000)) {
            std::fprintf(stderr, "Vorlin did not paint its menu\n");
            return 1;
        }
        times.push_back(t.nsecsElapsed() / 1e6);
        p.waitForFinished(5000);
    }
    std::sort(times.begin(), times.end());
    std::printf("| Vorlin start to first painted main menu | median ms | best ms | worst ms |\n");
    std::printf("|---|---|---|---|\n");
    std::printf("| %s platform, 11 runs | %.1f | %.1f | %.1f |\n", platform, times[times.size() / 2], times.front(),
                times.back());
    return 0;
}
