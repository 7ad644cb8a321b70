#include "archive.h"
#include "crt_random.h"

#include <gtest/gtest.h>

#include <QBuffer>

TEST(CrtRandom, MatchesTheCLibrarySequence)
{
    // The first values of the C library generator from state 1.
    crt::srand(1);
    EXPECT_EQ(crt::rand(), 41);
    EXPECT_EQ(crt::rand(), 18467);
    EXPECT_EQ(crt::rand(), 6334);
    EXPECT_EQ(crt::rand(), 26500);
    crt::srand(12345);
    const int first = crt::rand();
    crt::srand(12345);
    EXPECT_EQ(crt::rand(), first);
    for (int i = 0; i < 1000; ++i) {
        const int r = crt::rand();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 0x7FFF);
    }
}

namespace {
QByteArray written(const std::function<void(ArchiveWriter&)>& f)
{
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    {
        ArchiveWriter ar(&b);
        f(ar);
    }
    return out;
}
} // namespace

TEST(Archive, WritesLittleEndianWordsAndCounts)
{
    const QByteArray bytes = written([](ArchiveWriter& ar) {
        ar.writeByte(0x50);
        ar.writeUInt16(0x1234);
        ar.writeInt32(-2);
        ar.writeUInt32(0xA1B2C3D4);
        ar.writeCount(0xFFFE);
        ar.writeCount(0xFFFF);
        ar.writeCount(70000);
    });
    const QByteArray expected = QByteArray::fromHex("50" "3412" "feffffff" "d4c3b2a1"
                                                    "feff" "ffff" "ffff0000" "ffff" "70110100");
    EXPECT_EQ(bytes.toHex(), expected.toHex());

    ArchiveReader ar(bytes);
    EXPECT_EQ(ar.readByte(), 0x50);
    EXPECT_EQ(ar.readUInt16(), 0x1234);
    EXPECT_EQ(ar.readInt32(), -2);
    EXPECT_EQ(ar.readUInt32(), 0xA1B2C3D4u);
    EXPECT_EQ(ar.readCount(), 0xFFFEu);
    EXPECT_EQ(ar.readCount(), 0xFFFFu);
    EXPECT_EQ(ar.readCount(), 70000u);
    EXPECT_TRUE(ar.atEnd());
    EXPECT_THROW(ar.readByte(), ArchiveError);
}

TEST(Archive, BufferedWriterKeepsEveryByteAcrossBufferBoundaries)
{
    QByteArray block(10000, '\0');
    for (int i = 0; i < block.size(); ++i)
        block[i] = char(i * 31);
    const QByteArray bytes = written([&](ArchiveWriter& ar) {
        ar.writeBlock(block.left(4095));
        ar.writeUInt32(0x01020304); // straddles the first flush
        ar.writeBlock(block.mid(4095));
    });
    ASSERT_EQ(bytes.size(), 10004);
    EXPECT_EQ(bytes.left(4095), block.left(4095));
    EXPECT_EQ(bytes.mid(4095, 4).toHex(), QByteArray("04030201"));
    EXPECT_EQ(bytes.mid(4099), block.mid(4095));
}

TEST(Archive, ReaderRefusesBlocksAndCountsBeyondTheInput)
{
    const QByteArray bytes = QByteArray::fromHex("ffff" "ffffff7f" "0102");
    ArchiveReader ar(bytes);
    EXPECT_EQ(ar.readCount(), 0x7FFFFFFFu);
    EXPECT_THROW(ar.readBlock(3), ArchiveError);
    EXPECT_EQ(ar.remaining(), 2u); // a failed read consumes nothing
    EXPECT_EQ(ar.readBlock(2), QByteArray::fromHex("0102"));
    ArchiveReader huge(bytes);
    EXPECT_THROW(huge.readBlock(size_t(-1)), ArchiveError);
}

TEST(Archive, ObjectTagsNameTheClassOnceThenReferBack)
{
    const QByteArray bytes = written([](ArchiveWriter& ar) {
        ar.writeObjectTag(true, 0, "CPiece");
        ar.writeObjectTag(false, 0, "CPiece");
    });
    EXPECT_EQ(bytes.toHex(), QByteArray("ffff" "0000" "0600") + QByteArray("CPiece").toHex() + "0180");

    ArchiveReader ok(bytes);
    EXPECT_NO_THROW(ok.readObjectTag(true, 0, "CPiece"));
    EXPECT_NO_THROW(ok.readObjectTag(false, 0, "CPiece"));

    ArchiveReader otherClass(bytes);
    EXPECT_THROW(otherClass.readObjectTag(true, 0, "CPiecf"), ArchiveError);
    ArchiveReader otherSchema(bytes);
    EXPECT_THROW(otherSchema.readObjectTag(true, 1, "CPiece"), ArchiveError);
    ArchiveReader notNew(bytes.mid(10));
    EXPECT_THROW(notNew.readObjectTag(true, 0, "CPiece"), ArchiveError);
}
