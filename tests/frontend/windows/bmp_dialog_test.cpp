// The picture file dialog: its preview lines for files of every depth, files
// it cannot read, the run-long "Show Preview" setting, its filters, and
// previews of large and EXIF-turned photos decoded at the box's size.

#include "bmp_dialog.h"
#include "bmp_preview.h"
#include "hostile_pictures.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QDir>
#include <QFileSystemModel>
#include <QListView>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtEndian>

namespace {

// An uncompressed BMP of any depth, headers written by hand: Qt writes only some depths.
QByteArray bmpBytes(int width, int height, int bits)
{
    const int colours = bits <= 8 ? 1 << bits : 0;
    const int stride = (width * bits + 31) / 32 * 4;
    const int offset = 14 + 40 + colours * 4;
    QByteArray b(offset + stride * height, '\0');
    auto* p = reinterpret_cast<uchar*>(b.data());
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(b.size(), p + 2);
    qToLittleEndian<quint32>(offset, p + 10);
    qToLittleEndian<quint32>(40, p + 14);
    qToLittleEndian<qint32>(width, p + 18);
    qToLittleEndian<qint32>(height, p + 22);
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(bits, p + 28);
    for (int i = 0; i < colours; ++i)
        qToLittleEndian<quint32>(i * 0x010101u * (255 / (colours - 1)), p + 54 + i * 4);
    return b;
}

// A JPEG with an EXIF orientation tag (6: shown turned 90 degrees clockwise).
QByteArray withExifOrientation(QByteArray jpeg, int orientation)
{
    const char app1[] = "\xFF\xE1\x00\x22"
                        "Exif\0\0"
                        "II\x2A\x00\x08\x00\x00\x00"
                        "\x01\x00"
                        "\x12\x01\x03\x00\x01\x00\x00\x00\x00\x00\x00\x00"
                        "\x00\x00\x00\x00";
    QByteArray segment(app1, sizeof app1 - 1);
    segment[4 + 6 + 8 + 2 + 8] = char(orientation);
    return jpeg.insert(2, segment);
}

const QStringList kEmpty{QString(), QString(), QString(), QString()};

struct BmpDialog : ::testing::Test {
    QTemporaryDir dir;
    std::unique_ptr<CBmpDialog> dlg = std::make_unique<CBmpDialog>();

    QString write(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    // Selects as the dialog's list does and waits for the preview's answer.
    QStringList select(const QString& path)
    {
        QSignalSpy updated(dlg.get(), &CBmpDialog::previewUpdated);
        emit dlg->currentChanged(path);
        EXPECT_TRUE(updated.wait(5000)) << qPrintable(path);
        return dlg->infoLines();
    }
    void TearDown() override
    {
        // The setting lasts for the whole test program too.
        if (!CBmpDialog::showPreviewSetting())
            QTest::mouseClick(dlg->showPreviewCheckBox(), Qt::LeftButton);
    }
};

} // namespace

TEST(BmpPreview, WideAndTallPicturesFillTheBoxKeepingTheirShape)
{
    using bmppreview::previewRect;
    const QRect box(1, 1, 150, 150);
    EXPECT_EQ(previewRect(box, {400, 300}), QRect(1, 1 + 19, 150, 112));
    EXPECT_EQ(previewRect(box, {300, 400}), QRect(1 + 19, 1, 112, 150));
    EXPECT_EQ(previewRect(box, {100, 100}), box);
    // A nearly square wide picture in a low box spans the box's height instead of spilling out.
    EXPECT_EQ(previewRect(QRect(0, 0, 200, 100), {1000, 999}), QRect(50, 0, 100, 100));
    EXPECT_TRUE(previewRect(box, {0, 10}).isEmpty());
}

TEST(BmpPreview, FilterListBecomesQtFilters)
{
    EXPECT_EQ(CBmpDialog::qtNameFilters(QString::fromLatin1(CBmpDialog::kFilter)),
              QStringList({"JPEG files(*.jpg)", "Bitmap files(*.bmp)", "All files (*)"}));
    EXPECT_EQ(CBmpDialog::qtNameFilters("Pictures|*.jpg;*.png||"), QStringList({"Pictures (*.jpg *.png)"}));
}

TEST_F(BmpDialog, LinesTellTheFilesOwnDepthAndWholeKilobytes)
{
    const std::pair<int, const char*> depths[] = {{1, "Colors: 2 (monocromatic)"}, {4, "Colors: 16"},
                                                  {8, "Colors: 256"},           {16, "Colors: 65,536"},
                                                  {24, "Colors: 16 millions"},  {32, ""}};
    for (const auto& [bits, text] : depths) {
        const QStringList lines = select(write(QStringLiteral("d%1.bmp").arg(bits), bmpBytes(9, 6, bits)));
        EXPECT_EQ(lines.value(0), "Width: 9 pixels") << bits;
        EXPECT_EQ(lines.value(1), "Height: 6 pixels") << bits;
        EXPECT_EQ(lines.value(2), QString::fromLatin1(text)) << bits;
        EXPECT_TRUE(dlg->hasPreview()) << bits;
    }
    const QImage photo = testfiles::patternImage(64, 48);
    EXPECT_EQ(select(write("c.jpg", testfiles::encode(photo, "jpeg"))).value(2), "Colors: 16 millions");
    const QImage grey = photo.convertToFormat(QImage::Format_Grayscale8);
    EXPECT_EQ(select(write("g.jpg", testfiles::encode(grey, "jpeg"))).value(2), "Colors: 256");

    const QByteArray bmp = bmpBytes(4, 4, 24);
    EXPECT_EQ(select(write("a.bmp", bmp.leftJustified(1023, '\0'))).value(3), "Size: 0 Kb");
    EXPECT_EQ(select(write("b.bmp", bmp.leftJustified(2048, '\0'))).value(3), "Size: 2 Kb");
}

TEST_F(BmpDialog, UnreadableFilesShowNothing)
{
    const QByteArray bmp = bmpBytes(40, 30, 24);
    const QByteArray jpeg = testfiles::encode(testfiles::patternImage(40, 30), "jpeg");
    const QString bad[] = {write("short.bmp", bmp.left(bmp.size() - 1)), write("head.jpg", jpeg.left(100)),
                           write("empty.jpg", {}), write("text.jpg", "not a picture"), dir.path(),
                           dir.filePath("gone.jpg")};
    for (const QString& path : bad) {
        ASSERT_NE(select(write("good.bmp", bmp)), kEmpty);
        EXPECT_EQ(select(path), kEmpty) << qPrintable(path);
        EXPECT_FALSE(dlg->hasPreview()) << qPrintable(path);
    }
}

TEST_F(BmpDialog, HostilePicturesShowNothing)
{
    const std::pair<const char*, QByteArray> hostile[] = {
        {"text.png", hostile::pngWithTextChunk()},
        {"idat.png", hostile::pngIdatPastEnd(8000, 8000)},
        {"starved.png", hostile::pngStarved(8000, 8000)},
        {"strip.gif", hostile::gifCanvas(20, 55295)},
        {"canvas.gif", hostile::gifCanvas(8000, 8000)},
        {"headers.bmp", hostile::bmpHeadersOnly(8000, 8000)},
        {"claims.jpg", hostile::jpegClaiming(8000, 8000)},
    };
    const QString good = write("good.bmp", bmpBytes(40, 30, 24));
    for (const auto& [name, bytes] : hostile) {
        const QString path = write(QString::fromLatin1(name), bytes);
        EXPECT_FALSE(bmppreview::readPicture(path, QSize(150, 150)).ok) << name;
        ASSERT_NE(select(good), kEmpty);
        EXPECT_EQ(select(path), kEmpty) << name;
        EXPECT_FALSE(dlg->hasPreview()) << name;
    }
    // A small GIF whose canvas its data can fill is shown.
    const bmppreview::PictureInfo small = bmppreview::readPicture(write("small.gif", hostile::gifCanvas(200, 150)), QSize(150, 150));
    ASSERT_TRUE(small.ok);
    EXPECT_EQ(small.size, QSize(200, 150));
}

TEST_F(BmpDialog, ClearedShowPreviewStaysClearedForTheRun)
{
    const QString first = write("a.bmp", bmpBytes(8, 8, 8));
    const QString second = write("b.bmp", bmpBytes(8, 8, 24));
    select(first);
    QTest::mouseClick(dlg->showPreviewCheckBox(), Qt::LeftButton);
    EXPECT_FALSE(CBmpDialog::showPreviewSetting());
    EXPECT_EQ(dlg->infoLines(), kEmpty);
    EXPECT_FALSE(dlg->hasPreview());

    QSignalSpy updated(dlg.get(), &CBmpDialog::previewUpdated);
    emit dlg->currentChanged(second);
    QTest::qWait(100);
    EXPECT_TRUE(updated.isEmpty());
    EXPECT_EQ(dlg->infoLines(), kEmpty);
    EXPECT_FALSE(dlg->hasPreview());

    // The next dialog of the run starts cleared; checking it previews the selection.
    dlg = std::make_unique<CBmpDialog>();
    EXPECT_FALSE(dlg->showPreviewCheckBox()->isChecked());
    emit dlg->currentChanged(second);
    QSignalSpy shown(dlg.get(), &CBmpDialog::previewUpdated);
    QTest::mouseClick(dlg->showPreviewCheckBox(), Qt::LeftButton);
    ASSERT_TRUE(shown.wait(5000));
    EXPECT_EQ(dlg->infoLines().value(2), "Colors: 16 millions");
    EXPECT_TRUE(CBmpDialog::showPreviewSetting());
}

TEST_F(BmpDialog, LargePhotoIsDecodedAtTheBoxSizeAndTurnedByExif)
{
    QImage photo(4000, 3000, QImage::Format_RGB32);
    photo.fill(qRgb(30, 120, 60));
    const QString big = write("big.jpg", testfiles::encode(photo, "jpeg", 80));
    EXPECT_EQ(select(big), QStringList({"Width: 4000 pixels", "Height: 3000 pixels", "Colors: 16 millions",
                                        QStringLiteral("Size: %1 Kb").arg(QFileInfo(big).size() / 1024)}));
    EXPECT_TRUE(QRect(QPoint(), CBmpDialog::kPreviewSize).contains(QRect(QPoint(), dlg->previewImage().size())));
    EXPECT_EQ(dlg->previewDrawRect().size(), QSize(150, 112));

    const QByteArray turned = withExifOrientation(testfiles::encode(testfiles::patternImage(300, 200), "jpeg"), 6);
    EXPECT_EQ(select(write("turned.jpg", turned)).mid(0, 2), QStringList({"Width: 200 pixels", "Height: 300 pixels"}));
    EXPECT_EQ(dlg->previewDrawRect().size(), QSize(100, 150));
    EXPECT_GT(dlg->previewImage().height(), dlg->previewImage().width());
}

TEST_F(BmpDialog, FiltersIgnoreCaseAndAllFilesOpensOtherPictures)
{
    write("PHOTO.JPG", testfiles::encode(testfiles::patternImage(30, 20), "jpeg"));
    write("b.png", testfiles::encode(testfiles::patternImage(30, 20), "png"));
    write("notes", "text");
    auto* model = dlg->findChild<QFileSystemModel*>();
    ASSERT_TRUE(model);
    const auto listed = [&](const QString& name) {
        const QModelIndex folder = model->index(dir.path());
        for (int r = 0; r < model->rowCount(folder); ++r)
            if (model->index(r, 0, folder).data().toString() == name)
                return true;
        return false;
    };
    dlg->setDirectory(dir.path());
    EXPECT_EQ(dlg->defaultSuffix(), "jpg");
    ASSERT_TRUE(QTest::qWaitFor([&] { return listed("PHOTO.JPG"); }));
    EXPECT_FALSE(listed("b.png"));
    dlg->selectNameFilter(dlg->nameFilters().value(2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return listed("b.png") && listed("notes"); }));

    // Moving in the dialog's own list drives the preview.
    QSignalSpy updated(dlg.get(), &CBmpDialog::previewUpdated);
    dlg->findChild<QListView*>("listView")->setCurrentIndex(model->index(dir.filePath("b.png")));
    ASSERT_TRUE(updated.wait(5000));
    EXPECT_EQ(dlg->infoLines().value(0), "Width: 30 pixels");
}

TEST_F(BmpDialog, GetPictureAnswersThePathOrNothingAndStartsCentred)
{
    const QString path = write("pick me.jpg", testfiles::encode(testfiles::patternImage(30, 20), "jpeg"));
    QRect shownAt;
    bool hadPreviewAfterAccept = true;
    const auto answer = [&](bool accept) {
        QTimer::singleShot(0, [&, accept] {
            auto* d = qobject_cast<CBmpDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(d);
            shownAt = d->frameGeometry();
            if (!accept)
                return d->reject();
            QSignalSpy updated(d, &CBmpDialog::previewUpdated);
            d->setDirectory(dir.path());
            d->findChild<QListView*>("listView")->setCurrentIndex(d->findChild<QFileSystemModel*>()->index(path));
            EXPECT_TRUE(updated.wait(5000));
            EXPECT_TRUE(d->hasPreview());
            d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open)->click();
            hadPreviewAfterAccept = d->hasPreview();
        });
    };
    answer(true);
    EXPECT_EQ(CBmpDialog::getPicture(nullptr), path);
    EXPECT_FALSE(hadPreviewAfterAccept);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((shownAt.center() - screen.center()).manhattanLength(), 2);
    answer(false);
    EXPECT_EQ(CBmpDialog::getPicture(nullptr), QString());
}
