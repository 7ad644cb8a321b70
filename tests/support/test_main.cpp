// Test programs run with a QApplication on the offscreen platform, so widget,
// font and socket code behaves as in the programs.
//
// Each test process gets folders of its own (home, runtime, temporary,
// configuration, data, cache), handed down to every program it starts: a
// Vorlin the user has open, another test running beside this one, or what an
// earlier run left behind never changes a result.
#include "crt_random.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLoggingCategory>
#include <QStandardPaths>

#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace {

class PrivateFolders {
public:
    PrivateFolders()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/suite-test-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            return;
        root_ = QString::fromLocal8Bit(pattern.c_str());
        for (const char* name : {"home", "runtime", "tmp", "config", "data", "cache"})
            QDir(root_).mkdir(QLatin1String(name));
        ::chmod(QFile::encodeName(root_ + QStringLiteral("/runtime")).constData(), 0700);
        set("HOME", "home");
        set("XDG_RUNTIME_DIR", "runtime");
        set("TMPDIR", "tmp");
        set("XDG_CONFIG_HOME", "config");
        set("XDG_DATA_HOME", "data");
        set("XDG_CACHE_HOME", "cache");
    }
    ~PrivateFolders()
    {
        if (!root_.isEmpty())
            QDir(root_).removeRecursively();
    }

private:
    void set(const char* variable, const char* folder)
    {
        qputenv(variable, QFile::encodeName(root_ + QLatin1Char('/') + QLatin1String(folder)));
    }
    QString root_;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    PrivateFolders folders;
    // Every deal a test does not seed itself is the same at every run.
    crt::setStartSeedForTest(20261209);
    QApplication app(argc, argv);
    // Settings and address books go to a test folder, never the user's own.
    QStandardPaths::setTestModeEnabled(true);
    // Damaged pictures are expected in the tests; their decoder warnings are noise.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    return result;
}
