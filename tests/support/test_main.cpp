// Test programs run with a QApplication on the offscreen platform, so widget,
// font and socket code behaves as in the programs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLoggingCategory>
#include <QStandardPaths>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Settings and address books go to a test folder, never the user's own.
    QStandardPaths::setTestModeEnabled(true);
    // Damaged pictures are expected in the tests; their decoder warnings are noise.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
