#include "scanner.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

namespace {
// SANE reads its configuration from SANE_CONFIG_DIR before it starts: give it
// only the test backend, which scans pictures without hardware.
class TestScanner : public ::testing::Test {
protected:
    static void configure(const QByteArray& testConf)
    {
        static QTemporaryDir dir;
        QFile dll(dir.filePath("dll.conf"));
        dll.open(QIODevice::WriteOnly);
        dll.write("test\n");
        dll.close();
        QFile conf(dir.filePath("test.conf"));
        conf.open(QIODevice::WriteOnly);
        conf.write(testConf);
        conf.close();
        qputenv("SANE_CONFIG_DIR", dir.path().toLocal8Bit());
    }
};
} // namespace

TEST_F(TestScanner, ListsTheDevicesAndScansAColourPage)
{
    configure("number_of_devices 2\nmode Gray\ndepth 8\nresolution 50.0\n"
              "test-picture \"Color pattern\"\nbr_x 80.0\nbr_y 100.0\n");
    const auto found = scanner::devices();
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(found[0].name, "test:0");
    EXPECT_FALSE(found[0].label.isEmpty());

    scanner::setSelectedSource("test:1");
    ToolkitBitmap bmp;
    QString error;
    ASSERT_TRUE(scanner::scan(nullptr, bmp, &error)) << error.toStdString();
    EXPECT_EQ(bmp.bitsPerPixel, 24);
    // The whole 80 x 100 mm area at the resolution that gives about 480
    // lines, whatever the device's own default (50 dpi here) was.
    EXPECT_NEAR(bmp.height(), 480, 6);
    EXPECT_NEAR(bmp.width(), 384, 6);
    // Switched to colour: the colour pattern is not grey everywhere.
    bool coloured = false;
    for (int y = 0; y < bmp.height() && !coloured; ++y)
        for (int x = 0; x < bmp.width() && !coloured; ++x) {
            const QRgb c = bmp.image.pixel(x, y);
            coloured = qRed(c) != qGreen(c) || qGreen(c) != qBlue(c);
        }
    EXPECT_TRUE(coloured);

    scanner::setSelectedSource("test:7");
    ToolkitBitmap untouched;
    EXPECT_FALSE(scanner::scan(nullptr, untouched, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(untouched.isNull());
}

TEST_F(TestScanner, ThreePassScannersGiveOneColourPicture)
{
    configure("number_of_devices 1\nthree-pass true\nresolution 25.0\ntest-picture \"Color pattern\"\n");
    scanner::setSelectedSource(QString());
    ToolkitBitmap bmp;
    QString error;
    ASSERT_TRUE(scanner::scan(nullptr, bmp, &error)) << error.toStdString();
    bool coloured = false;
    for (int y = 0; y < bmp.height() && !coloured; ++y)
        for (int x = 0; x < bmp.width() && !coloured; ++x) {
            const QRgb c = bmp.image.pixel(x, y);
            coloured = qRed(c) != qBlue(c);
        }
    EXPECT_TRUE(coloured);
}

TEST(ScannerSources, TwoScannersOfOneModelReadApartInTheList)
{
    // Network scanners of one model differ only at the end of their names.
    const QString label = QStringLiteral("Plustek OpticPro ST24 (flatbed scanner)");
    const QList<scanner::Device> found{{QStringLiteral("net:office:plustek:libusb:001:004"), label},
                                       {QStringLiteral("net:office:plustek:libusb:001:005"), label}};
    scanner::setSelectedSource(QString());
    QStringList shown;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        auto* list = dlg->findChild<QListWidget*>();
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->textElideMode(), Qt::ElideNone);
        for (int i = 0; i < list->count(); ++i) {
            QListWidgetItem* item = list->item(i);
            shown << item->text();
            // Drawn whole: nothing elided, and the line fits the list.
            EXPECT_GE(list->viewport()->width(), list->fontMetrics().horizontalAdvance(item->text()))
                << item->text().toStdString();
        }
        list->setCurrentRow(1);
        dlg->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    ASSERT_TRUE(scanner::selectSource(nullptr, found));
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0], scanner::sourceText(found[0]));
    EXPECT_NE(shown[0], shown[1]);
    EXPECT_TRUE(shown[1].contains(found[1].name));
    EXPECT_EQ(scanner::selectedSource(), found[1].name);
}
