// The player's runtime as it travels: which libraries stay behind, ICU's data
// trimmed, the real TileMender laid out with its own Qt, the full and lean
// packages, and the start script's messages when no terminal reads them.
#include "frontend_fixture.h"
#include "icu_data_trim.h"
#include "package.h"
#include "player_runtime.h"
#include "puzzle_package.h"
#include "runtime_libraries.h"

#include <QDirIterator>
#include <QStandardPaths>

#include <cstring>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

void putScript(const QString& path, const QByteArray& text)
{
    putFile(path, text);
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

bool haveTools()
{
    for (const char* tool : {"patchelf", "strip", "objdump", "ldd", "xz", "makeself"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return false;
    return true;
}

// A tree whose player is a script, with everything else a package needs.
struct ScriptTree : SuiteTree {
    QTemporaryDir home;
    ScriptTree()
    {
        putFile(data(QStringLiteral("Cat.puz")), "puzzle");
        putFile(folders.program + QStringLiteral("TileMenderBk.JPG"), "background");
        putFile(folders.program + QStringLiteral("finish.bmp"), "finish picture");
        putFile(folders.program + QStringLiteral("app.wav"), "sound");
        putScript(folders.program + QStringLiteral("TileMender"), "#!/bin/sh\necho \"started on $1\"\n");
        QFile::copy(QStringLiteral(PACKAGE_START_SCRIPT), folders.program + QStringLiteral("package_start.sh"));
    }
    QProcessEnvironment receiver(const QString& tools = QString(), bool desktop = false) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        if (desktop)
            env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":77"));
        else
            env.remove(QStringLiteral("DISPLAY"));
        if (!tools.isEmpty())
            env.insert(QStringLiteral("PATH"), tools + QLatin1Char(':') + env.value(QStringLiteral("PATH")));
        return env;
    }
};

// An ICU common data block: header, table of contents, names, items.
QByteArray icuData(const QList<QByteArray>& names, QByteArray padding = "ELF stand-in ", int itemSize = 64)
{
    QByteArray header(16, '\0');
    header[0] = 16; // header size
    header[2] = char(0xda);
    header[3] = 0x27;
    std::memcpy(header.data() + 12, "CmnD", 4);
    const quint32 count = quint32(names.size());
    QByteArray strings, items;
    const quint32 tocSize = 4 + 8 * count;
    QByteArray toc(int(tocSize), '\0');
    std::memcpy(toc.data(), &count, 4);
    for (const QByteArray& n : names)
        strings += n + '\0';
    quint32 nameAt = tocSize, dataAt = tocSize + quint32(strings.size());
    for (quint32 i = 0; i < count; ++i) {
        const QByteArray item = QByteArray(itemSize, char('A' + i));
        std::memcpy(toc.data() + 4 + 8 * i, &nameAt, 4);
        std::memcpy(toc.data() + 8 + 8 * i, &dataAt, 4);
        nameAt += quint32(names[int(i)].size() + 1);
        dataAt += quint32(item.size());
        items += item;
    }
    return padding + header + toc + strings + items;
}

} // namespace

TEST(RuntimeLibraries, TheSystemsOwnStayBehindAndTheRestTravels)
{
    for (const char* own : {"libc.so.6", "ld-linux-x86-64.so.2", "libGL.so.1", "libEGL.so.1", "libxcb.so.1",
                            "libX11.so.6", "libfontconfig.so.1", "libfreetype.so.6", "libdbus-1.so.3",
                            "libpulse.so.0", "libpulse-simple.so.0", "libasound.so.2", "libglib-2.0.so.0"})
        EXPECT_FALSE(runtime_libraries::whyNotBundled(QLatin1String(own)).isEmpty()) << own;
    // Names that start like a system library's but are Qt's or an X extension's.
    for (const char* travels : {"libQt6Core.so.6", "libxcb-icccm.so.4", "libxcb-xkb.so.1", "libxkbcommon-x11.so.0",
                                "libicuuc.so.72", "libharfbuzz.so.0", "libQt6XcbQpa.so.6"})
        EXPECT_TRUE(runtime_libraries::whyNotBundled(QLatin1String(travels)).isEmpty()) << travels;
}

TEST(IcuDataTrim, KeepsRootAndPropertiesZeroesTheRest)
{
    QTemporaryDir dir;
    const QString lib = dir.filePath(QStringLiteral("libicudata.so.72"));
    const QList<QByteArray> names{"icudt72l/brkitr/word.brk", "icudt72l/cnvalias.icu", "icudt72l/coll/de.res",
                                  "icudt72l/de.res",          "icudt72l/ibm-37.cnv",   "icudt72l/root.res",
                                  "icudt72l/zu.res"};
    const QByteArray before = icuData(names);
    putFile(lib, before);
    QString error;
    ASSERT_TRUE(icu_data_trim::trim(lib, error)) << error.toStdString();
    const QByteArray after = fileBytes(lib);
    ASSERT_EQ(after.size(), before.size());
    const qsizetype toc = after.indexOf("CmnD") - 12 + 16;
    quint32 count = 0;
    std::memcpy(&count, after.constData() + toc, 4);
    QList<QByteArray> kept;
    for (quint32 i = 0; i < count; ++i) {
        quint32 name = 0, data = 0;
        std::memcpy(&name, after.constData() + toc + 4 + 8 * i, 4);
        std::memcpy(&data, after.constData() + toc + 8 + 8 * i, 4);
        kept << QByteArray(after.constData() + toc + name);
        // A kept item is whole.
        EXPECT_EQ(after.mid(toc + data, 64), before.mid(toc + data, 64)) << kept.last().constData();
    }
    // The last item's end is not recorded, so it stays whatever it is.
    EXPECT_EQ(kept, (QList<QByteArray>{"icudt72l/cnvalias.icu", "icudt72l/root.res", "icudt72l/zu.res"}));
    for (const char c : {'A', 'C', 'D', 'E'})
        EXPECT_FALSE(after.contains(QByteArray(64, c))) << c;

    // Not ICU's layout: left as it was.
    putFile(lib, "no data here");
    EXPECT_FALSE(icu_data_trim::trim(lib, error));
    EXPECT_EQ(fileBytes(lib), QByteArray("no data here"));
}

// The removed items come back from the disk as zeros but take none of it, so
// the runtime's sparse tar neither carries nor unpacks them.
TEST(IcuDataTrim, RemovedItemsBecomeHoles)
{
    QTemporaryDir dir;
    const QString lib = dir.filePath(QStringLiteral("libicudata.so.72"));
    const QList<QByteArray> names{"icudt72l/coll/de.res", "icudt72l/de.res", "icudt72l/root.res",
                                  "icudt72l/zu.res"};
    const int item = 1024 * 1024;
    const QByteArray before = icuData(names, "ELF stand-in ", item);
    putFile(lib, before);
    QString error;
    ASSERT_TRUE(icu_data_trim::trim(lib, error)) << error.toStdString();
    const QByteArray after = fileBytes(lib);
    ASSERT_EQ(after.size(), before.size());
    const qsizetype firstItem = before.indexOf(QByteArray(item, 'A'));
    EXPECT_EQ(after.mid(firstItem, 2 * item), QByteArray(2 * item, '\0'));
    EXPECT_EQ(after.mid(firstItem + 2 * item), before.mid(firstItem + 2 * item));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(lib).constData(), &st), 0);
    EXPECT_LT(qint64(st.st_blocks) * 512, qint64(before.size()) - item) << "the zeros were written out";
}

// The installed player, laid out as it travels: everything it and its
// plugins load outside the system's own set resolves inside the bundle.
TEST(PlayerRuntime, RealPlayerFindsItsOwnQtAndPlugins)
{
    if (!haveTools())
        GTEST_SKIP() << "patchelf, binutils, xz or makeself missing";
    QTemporaryDir dir;
    QStringList sources;
    QString error;
    ASSERT_TRUE(player_runtime::stage(QStringLiteral(SUITE_BIN_FOLDER "TileMender"), dir.path(), sources, error))
        << error.toStdString();
    ASSERT_FALSE(sources.isEmpty());
    EXPECT_TRUE(fileBytes(dir.filePath(QStringLiteral("qt.conf"))).contains("Plugins = plugins"));
    for (const char* plugin : {"lib/plugins/platforms/libqxcb.so", "lib/plugins/imageformats/libqjpeg.so"})
        EXPECT_TRUE(QFileInfo(dir.filePath(QLatin1String(plugin))).isFile()) << plugin;
    QStringList bundled = entries(dir.filePath(QStringLiteral("lib")));
    EXPECT_TRUE(bundled.contains(QStringLiteral("libQt6Core.so.6")));
    EXPECT_TRUE(bundled.contains(QStringLiteral("libQt6XcbQpa.so.6")));
    for (const QString& l : bundled)
        EXPECT_TRUE(runtime_libraries::whyNotBundled(l).isEmpty()) << l.toStdString();

    // ldd, with a library path that would bring in another Qt: the player's
    // own still wins.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LD_LIBRARY_PATH"), QStringLiteral("/usr/lib/x86_64-linux-gnu"));
    const QString inside = QFileInfo(dir.path()).canonicalFilePath() + QLatin1Char('/');
    for (const char* program : {"TileMender", "lib/plugins/platforms/libqxcb.so"}) {
        const Outcome ldd = runProgram(QStringLiteral("ldd"), {dir.filePath(QLatin1String(program))}, env);
        ASSERT_EQ(ldd.code, 0) << ldd.err.toStdString();
        EXPECT_FALSE(ldd.out.contains(QStringLiteral("not found"))) << ldd.out.toStdString();
        for (const QString& line : ldd.out.split(QLatin1Char('\n'))) {
            if (line.contains(QStringLiteral("libQt6")) || line.contains(QStringLiteral("libicu"))) {
                EXPECT_TRUE(line.contains(QStringLiteral("=> ") + inside)) << line.toStdString();
            }
        }
    }
}

// The whole journey with the real player: packed, built once into the
// cache, unpacked by a receiver; then the lean one beside it.
TEST(PlayerRuntime, FullPackageCarriesTheRuntimeLeanOneDoesNot)
{
    if (!haveTools())
        GTEST_SKIP() << "patchelf, binutils, xz or makeself missing";
    ScriptTree t;
    const QString player = t.folders.program + QStringLiteral("TileMender");
    QFile::remove(player);
    ASSERT_TRUE(QFile::copy(QStringLiteral(SUITE_BIN_FOLDER "TileMender"), player));
    QString path, error;
    ASSERT_TRUE(packPuzzle(t.folders, QStringLiteral("Cat"), path, error)) << error.toStdString();
    EXPECT_EQ(puzzle_package::kindOf(path), puzzle_package::Kind::Full);
    EXPECT_LT(QFileInfo(path).size(), 16 * 1024 * 1024);

    QTemporaryDir target;
    ASSERT_EQ(runProgram(QStringLiteral("sh"), {path, QStringLiteral("--noexec"), QStringLiteral("--target"), target.path()},
                         t.receiver()).code, 0);
    EXPECT_EQ(entries(target.path()),
              (QStringList{QStringLiteral("TileMenderBk.JPG"), QStringLiteral("Vorlin.puz"),
                           QStringLiteral("package_start.sh"), player_runtime::archiveName()}));
    const QString unpacked = target.filePath(QStringLiteral("out"));
    QDir().mkpath(unpacked);
    ASSERT_EQ(runProgram(QStringLiteral("tar"), {QStringLiteral("-xJf"), target.filePath(player_runtime::archiveName()),
                                                 QStringLiteral("-C"), unpacked}).code, 0);
    EXPECT_EQ(entries(unpacked), (QStringList{QStringLiteral("TileMender"), QStringLiteral("app.wav"),
                                              QStringLiteral("finish.bmp"), QStringLiteral("lib"), QStringLiteral("qt.conf")}));
    EXPECT_EQ(fileBytes(unpacked + QStringLiteral("/finish.bmp")), QByteArray("finish picture"));
    EXPECT_EQ(fileBytes(unpacked + QStringLiteral("/app.wav")), QByteArray("sound"));

    // A second pack of another puzzle reuses the runtime from the cache.
    const QStringList cached = entries(player_runtime::cacheFolder());
    putFile(t.data(QStringLiteral("Dog.puz")), "dog");
    ASSERT_TRUE(packPuzzle(t.folders, QStringLiteral("Dog"), path, error)) << error.toStdString();
    EXPECT_EQ(entries(player_runtime::cacheFolder()), cached);

    // Lean: the same name, replaced, small and without a runtime.
    ASSERT_TRUE(packPuzzle(t.folders, QStringLiteral("Cat"), path, error, puzzle_package::Kind::Lean))
        << error.toStdString();
    EXPECT_EQ(puzzle_package::kindOf(path), puzzle_package::Kind::Lean);
    EXPECT_LT(QFileInfo(path).size(), 4 * 1024 * 1024);
    const Outcome list = runProgram(QStringLiteral("sh"), {path, QStringLiteral("--list")}, t.receiver());
    EXPECT_FALSE(list.out.contains(player_runtime::archiveName())) << list.out.toStdString();
    EXPECT_TRUE(list.out.contains(QStringLiteral("finish.bmp")));
    EXPECT_TRUE(list.out.contains(QStringLiteral("app.wav")));
    // And the default brings the full one back.
    ASSERT_TRUE(packPuzzle(t.folders, QStringLiteral("Cat"), path, error)) << error.toStdString();
    EXPECT_EQ(puzzle_package::kindOf(path), puzzle_package::Kind::Full);
}

// Opened from a file manager: no terminal, a desktop. The message goes to
// the first dialog program the desktop has, and still to standard error.
TEST(PackageMessages, ShownInAWindowWhenNoTerminalReadsThem)
{
    ScriptTree t;
    QString path, error;
    ASSERT_TRUE(packPuzzle(t.folders, QStringLiteral("Cat"), path, error, puzzle_package::Kind::Lean))
        << error.toStdString();
    QTemporaryDir tools;
    putScript(tools.filePath(QStringLiteral("ldd")), "#!/bin/sh\nprintf '\\tlibQt6Core.so.6 => not found\\n'\n");
    // Each records its arguments, and xmessage its input too.
    const auto recorder = [&](const char* name, bool input) {
        const QString record = tools.filePath(QLatin1String(name) + QStringLiteral(".args"));
        const QByteArray part = "'" + record.toUtf8() + ".part'";
        putScript(tools.filePath(QLatin1String(name)),
                  "#!/bin/sh\nprintf '[%s]\\n' \"$@\" > " + part + "\n" + (input ? "cat >> " + part + "\n" : QByteArray())
                      + "mv " + part + " '" + record.toUtf8() + "'\n");
        return record;
    };
    const QString xmessage = recorder("xmessage", true);
    const QString zenity = recorder("zenity", false);

    Outcome r = runProgram(QStringLiteral("sh"), {path}, t.receiver(tools.path(), true));
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("libqt6core6"))) << r.err.toStdString();
    const QString shown = QString::fromUtf8(fileBytes(zenity));
    EXPECT_TRUE(shown.contains(QStringLiteral("[--error]\n[--no-markup]\n[--title=Puzzle Cat]\n"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("needs libraries this computer does not have:\n  libQt6Core.so.6\n")))
        << shown.toStdString();
    EXPECT_FALSE(QFile::exists(xmessage));

    // Without zenity or kdialog on this machine, xmessage shows it, the text
    // on its input.
    QFile::remove(tools.filePath(QStringLiteral("zenity")));
    QFile::remove(zenity);
    r = runProgram(QStringLiteral("sh"), {path}, t.receiver(tools.path(), true));
    EXPECT_EQ(r.code, 1);
    const QString xshown = QString::fromUtf8(fileBytes(xmessage));
    if (QStandardPaths::findExecutable(QStringLiteral("zenity")).isEmpty()
        && QStandardPaths::findExecutable(QStringLiteral("kdialog")).isEmpty()) {
        EXPECT_TRUE(xshown.contains(QStringLiteral("[-file]\n[-]\n"))) << xshown.toStdString();
        EXPECT_TRUE(xshown.contains(QStringLiteral("sudo apt-get install libqt6core6"))) << xshown.toStdString();
    }

    // A terminal-less run without a desktop opens no window.
    QFile::remove(xmessage);
    r = runProgram(QStringLiteral("sh"), {path}, t.receiver(tools.path(), false));
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(QFile::exists(xmessage));
}
