// Which of Vorlin's starts are the command line and which the windows, and
// what the windows take from their arguments.

#include "start_arguments.h"

#include <gtest/gtest.h>

using start_arguments::forWindows;
using start_arguments::wantsCommandLine;

TEST(StartArguments, OnlyTheCommandLinesOwnOptionsMeanTheCommandLine)
{
    for (const QStringList& args : {QStringList{"--make", "a.jpg", "--name", "A"}, QStringList{"--list"},
                                    QStringList{"--name", "A"}, QStringList{"-h"}, QStringList{"--frobnicate"},
                                    QStringList{"-platform", "xcb", "--pack", "Cat"}})
        EXPECT_TRUE(wantsCommandLine(args)) << args.join(' ').toStdString();
    for (const QStringList& args : {QStringList{}, QStringList{"-platform", "xcb"}, QStringList{"--platform=xcb"},
                                    QStringList{"-session", "10abc_99"}, QStringList{"--session", "10abc_99"},
                                    QStringList{"-nosplash"}, QStringList{"/nosplash"}, QStringList{"picture.jpg"},
                                    QStringList{"-style", "fusion", "/home/u/My Pictures/x.png"}})
        EXPECT_FALSE(wantsCommandLine(args)) << args.join(' ').toStdString();
}

TEST(StartArguments, TheWindowsTakeTheSplashSwitchAndTheFirstPicture)
{
    auto s = forWindows({}, "/work");
    EXPECT_TRUE(s.splash);
    EXPECT_TRUE(s.picture.isEmpty());

    s = forWindows({"-NoSplash", "pics/../sea.jpg", "second.jpg"}, "/home/u");
    EXPECT_FALSE(s.splash);
    EXPECT_EQ(s.picture, QStringLiteral("/home/u/sea.jpg"));

    // A desktop may hand a URL; options nobody took are left alone.
    s = forWindows({"-iconic", "file:///home/u/My%20Pictures/%C3%A9t%C3%A9.png"}, "/");
    EXPECT_TRUE(s.splash);
    EXPECT_EQ(s.picture, QString::fromUtf8("/home/u/My Pictures/été.png"));

    s = forWindows({"/abs/$(touch P).jpg"}, "/elsewhere");
    EXPECT_EQ(s.picture, QStringLiteral("/abs/$(touch P).jpg"));
}
