#include "Socket.h"

#include <gtest/gtest.h>

namespace {

std::vector<QByteArray> all(const std::deque<QByteArray>& d) { return {d.begin(), d.end()}; }

TEST(LineSplitting, CutsAfterEveryLineFeedAndCarriesTheRest)
{
    QByteArray partial;
    std::deque<QByteArray> lines;
    splitLines("220 hello\r\n250-one\r\n250 tw", partial, lines);
    EXPECT_EQ(all(lines), (std::vector<QByteArray>{"220 hello\r\n", "250-one\r\n"}));
    EXPECT_EQ(partial, "250 tw");

    // The stored rest goes in front of the next complete line, then is gone.
    splitLines("o\r\n\n", partial, lines);
    EXPECT_EQ(all(lines), (std::vector<QByteArray>{"220 hello\r\n", "250-one\r\n", "250 two\r\n", "\n"}));
    EXPECT_TRUE(partial.isEmpty());

    // Data without a line feed only grows the partial line.
    splitLines("35", partial, lines);
    splitLines("4 go", partial, lines);
    EXPECT_EQ(lines.size(), 4u);
    EXPECT_EQ(partial, "354 go");

    // A line without end is cut off rather than stored without limit.
    splitLines(QByteArray(kMaxLineBytes + 1, 'x'), partial, lines);
    EXPECT_EQ(lines.size(), 5u);
    EXPECT_TRUE(partial.isEmpty());
}

} // namespace
