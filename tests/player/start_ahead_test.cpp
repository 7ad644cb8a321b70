#include "crt_random.h"
#include "imaging.h"
#include "jpeg_decode.h"
#include "paths.h"
#include "start_ahead.h"
#include "test_files.h"
#include "tile_mender_doc.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>

namespace {

QByteArray progressiveJpeg(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    EXPECT_TRUE(writer.write(image));
    return bytes;
}

// The toolkit's own decode, as every open did it before.
QImage toolkitDecode(const QByteArray& bytes)
{
    ToolkitBitmap bmp;
    EXPECT_TRUE(imaging::loadFromData(bytes, bmp, 24));
    return bmp.image;
}

void expectSameDeal(const CTileMenderDoc& a, const CTileMenderDoc& b)
{
    ASSERT_EQ(a.boxList().size(), b.boxList().size());
    for (int i = 0; i < a.boxList().size(); ++i) {
        EXPECT_EQ(a.boxList()[i]->column, b.boxList()[i]->column);
        EXPECT_EQ(a.boxList()[i]->row, b.boxList()[i]->row);
        EXPECT_EQ(a.boxList()[i]->rotation, b.boxList()[i]->rotation);
        EXPECT_EQ(a.boxList()[i]->image(), b.boxList()[i]->image()) << i;
    }
}

} // namespace

TEST(JpegDecode, GivesTheToolkitsPixelsForColourGreyAndProgressivePictures)
{
    const QImage colour = testfiles::patternImage(203, 117); // odd sizes: partial blocks and chroma rows
    const QByteArray files[] = {
        testfiles::encode(colour, "jpeg", 90),
        progressiveJpeg(colour),
        testfiles::encode(colour.convertToFormat(QImage::Format_Grayscale8), "jpeg", 90),
    };
    for (const QByteArray& bytes : files) {
        QImage direct;
        ASSERT_TRUE(jpeg_decode::decode(bytes, QSize(2048, 2048), direct));
        EXPECT_EQ(direct.format(), QImage::Format_RGB32);
        EXPECT_EQ(direct, toolkitDecode(bytes));
    }
}

TEST(JpegDecode, LeavesDamagedLargeAndOtherPicturesToTheToolkit)
{
    const QByteArray sound = testfiles::encode(testfiles::patternImage(64, 48), "jpeg", 90);
    QImage out;
    // Cut short: the library would go on with a warning and grey rows.
    EXPECT_FALSE(jpeg_decode::decode(sound.left(sound.size() * 2 / 3), QSize(), out));
    EXPECT_FALSE(jpeg_decode::decode(sound, QSize(63, 48), out)) << "wider than allowed";
    EXPECT_FALSE(jpeg_decode::decode(testfiles::encode(testfiles::patternImage(64, 48), "png"), QSize(), out));
    EXPECT_FALSE(jpeg_decode::decode(QByteArray("\xFF\xD8\xFF", 3), QSize(), out));
    EXPECT_FALSE(jpeg_decode::decode(testfiles::manyScanJpeg(96, 48, 20000), QSize(), out)) << "refused by its structure";
    EXPECT_TRUE(out.isNull());
    EXPECT_TRUE(jpeg_decode::decode(sound, QSize(64, 48), out));

    // The guide's size comes from its headers alone, the rest may be cut.
    EXPECT_EQ(jpeg_decode::declaredSize(sound.left(sound.size() * 2 / 3)), QSize(64, 48));
    EXPECT_FALSE(jpeg_decode::declaredSize(sound.left(40)).isValid());
    EXPECT_FALSE(jpeg_decode::declaredSize(testfiles::encode(testfiles::patternImage(64, 48), "png")).isValid());
}

TEST(StartAhead, ReadsThePuzzleTheStartWouldOpen)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/";
    EXPECT_EQ(StartAhead::puzzleFor({"/p/Beach.puz"}, folder), "/p/Beach.puz");
    // The toolkit's own options are taken out after the read ahead starts.
    EXPECT_EQ(StartAhead::puzzleFor({"-style", "fusion", "/p/Beach.puz"}, folder), QString());
    EXPECT_EQ(StartAhead::puzzleFor({"-reverse"}, folder), QString());
    EXPECT_EQ(StartAhead::puzzleFor({}, folder), QString());
    ASSERT_TRUE(puzzle_file::writeFile(folder + "Vorlin.puz", testfiles::makePuzzle(2, 2, 48)));
    EXPECT_EQ(StartAhead::puzzleFor({}, folder), folder + "Vorlin.puz");
}

TEST(StartAhead, APuzzleReadAheadOpensAsTheSameFileOpenedThen)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Beach.puz");
    ASSERT_TRUE(puzzle_file::writeFile(path, testfiles::makePuzzle(5, 4, 48)));
    QByteArray name = QFile::encodeName(path);
    char program[] = "TileMender";
    char* argv[] = {program, name.data(), nullptr};
    StartAhead ahead(2, argv);
    EXPECT_EQ(ahead.takePuzzle(dir.filePath("Other.puz")), nullptr) << "not the puzzle read";
    EXPECT_EQ(ahead.takePuzzle(path), nullptr) << "taken once only";

    StartAhead again(2, argv);
    const auto read = again.takePuzzle(path);
    ASSERT_NE(read, nullptr);
    EXPECT_FALSE(read->picture.isNull()) << "a JPEG picture is decoded ahead";
    // The background beside the program, as the window would load it.
    const auto bk = again.takeBackground();
    ToolkitBitmap art;
    if (imaging::load(paths::programFolder() + "TileMenderBk.JPG", art, 24)) {
        ASSERT_NE(bk, nullptr);
        EXPECT_EQ(bk->image, art.image);
    } else {
        EXPECT_EQ(bk, nullptr);
    }
    EXPECT_EQ(again.takeBackground(), nullptr) << "taken once only";

    // Dealt ahead from the start's seed: the same pieces with the same
    // images as the file opened then, and the generator goes on from the
    // same place.
    ASSERT_TRUE(read->dealt.has_value());
    EXPECT_EQ(read->dealt->seed, again.seed());
    PlayerState sa, sb;
    CTileMenderDoc a(sa), b(sb);
    crt::srand(again.seed());
    ASSERT_EQ(a.openReadAhead(*read), CTileMenderDoc::OpenResult::Opened);
    EXPECT_FALSE(read->dealt.has_value()) << "the deal is taken, not copied";
    const uint32_t afterAhead = crt::state();
    crt::srand(again.seed());
    ASSERT_EQ(b.open(path), CTileMenderDoc::OpenResult::Opened);
    EXPECT_EQ(crt::state(), afterAhead);
    expectSameDeal(a, b);

    // A file that went away before the start read it fails as an open would.
    CTileMenderDoc::ReadAhead missing;
    CTileMenderDoc::readAhead(dir.filePath("Gone.puz"), missing);
    QString error;
    EXPECT_EQ(a.openReadAhead(missing, &error), CTileMenderDoc::OpenResult::Failed);
    EXPECT_EQ(error, "Cannot open the file Gone.puz.");
}

TEST(StartAhead, ADealMadeAheadForAnotherStateOrScreenGivesWayToTheOpensOwn)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Turned.puz");
    PuzzleFileData d = testfiles::makePuzzle(6, 5, 48);
    d.rotationAllowed = true;
    ASSERT_TRUE(puzzle_file::writeFile(path, d));

    // Dealt from another seed than the generator stands at: the open deals
    // from where the generator is, as an open of the file would.
    CTileMenderDoc::ReadAhead other;
    CTileMenderDoc::readAhead(path, other);
    CTileMenderDoc::dealAhead(other, 5, 1);
    PlayerState s1, s2, s3, s4;
    CTileMenderDoc a(s1), b(s2);
    a.setDevicePixelRatio(1);
    b.setDevicePixelRatio(1);
    crt::srand(6);
    ASSERT_EQ(a.openReadAhead(other), CTileMenderDoc::OpenResult::Opened);
    const uint32_t afterA = crt::state();
    crt::srand(6);
    ASSERT_EQ(b.open(path), CTileMenderDoc::OpenResult::Opened);
    EXPECT_EQ(crt::state(), afterA);
    expectSameDeal(a, b);

    // Dealt for a screen of two device pixels to ours, opened on a plain
    // one: the pieces are cut for the screen the open has.
    CTileMenderDoc::ReadAhead guessed;
    CTileMenderDoc::readAhead(path, guessed);
    CTileMenderDoc::dealAhead(guessed, 9, 2);
    CTileMenderDoc c(s3), e(s4);
    c.setDevicePixelRatio(1);
    e.setDevicePixelRatio(1);
    crt::srand(9);
    ASSERT_EQ(c.openReadAhead(guessed), CTileMenderDoc::OpenResult::Opened);
    crt::srand(9);
    ASSERT_EQ(e.open(path), CTileMenderDoc::OpenResult::Opened);
    EXPECT_EQ(c.pieceScale(), 1);
    expectSameDeal(c, e);
    EXPECT_EQ(c.boxList()[0]->image().width(), e.boxList()[0]->image().width());
}
