#include "player_runtime.h"

#include "file_write.h"
#include "icu_data_trim.h"
#include "package.h"
#include "runtime_libraries.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/stat.h>

namespace player_runtime {

namespace {

// The Qt plugins the player loads, under Qt's plugin folder. Only these
// travel: the receiver's own plugins would need its own Qt.
struct Plugin {
    const char* path;
    const char* why;
};
const Plugin kPlugins[] = {
    {"platforms/libqxcb.so", "the windows, on X and on XWayland"},
    {"imageformats/libqjpeg.so", "the background and the puzzles' pictures are JPEG (BMP and PNG are built into Qt)"},
};

const char* const kQtConf = "[Paths]\nPrefix = lib\nPlugins = plugins\n";

QString playerName() { return QStringLiteral("TileMender"); }

bool run(const QString& program, const QStringList& args, QString& error)
{
    QByteArray out;
    return runtime_libraries::runTool(program, args, out, error);
}

// A stripped copy of `from` at `to` that finds its libraries through
// `rpath`.
bool copyPatched(const QString& from, const QString& to, const QString& rpath, QString& error)
{
    if (!run(QStringLiteral("strip"), {QStringLiteral("--strip-unneeded"), QStringLiteral("-o"), to, from}, error))
        return false;
    // --force-rpath writes DT_RPATH, searched before LD_LIBRARY_PATH.
    return run(QStringLiteral("patchelf"), {QStringLiteral("--force-rpath"), QStringLiteral("--set-rpath"), rpath, to}, error);
}

QStringList pluginFiles()
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::PluginsPath) + QLatin1Char('/');
    QStringList files;
    for (const Plugin& p : kPlugins)
        files << folder + QLatin1String(p.path);
    return files;
}

bool needsQtGui(const std::vector<runtime_libraries::Library>& libs)
{
    for (const auto& l : libs)
        if (l.soname.startsWith(QLatin1String("libQt6Gui.so")))
            return true;
    return false;
}

// Every library the staged files ask for resolves inside `folder` or is one
// the receiver brings. (ldd also lists what the receiver's own libraries
// need; those come with them.)
bool check(const QString& folder, const QStringList& programs, QString& error)
{
    const QString inside = QFileInfo(folder).canonicalFilePath() + QLatin1Char('/');
    QStringList staged = programs;
    for (const QString& l : QDir(folder + QStringLiteral("/lib")).entryList(QDir::Files))
        staged << folder + QStringLiteral("/lib/") + l;
    QStringList asked;
    if (!runtime_libraries::neededBy(staged, asked, error))
        return false;
    for (const QString& program : programs) {
        std::map<QString, QString> where;
        bool dynamic = false;
        if (!runtime_libraries::lddMap(program, where, dynamic, error))
            return false;
        for (const auto& [soname, path] : where) {
            if (!asked.contains(soname) || !runtime_libraries::whyNotBundled(soname).isEmpty())
                continue;
            if (path.isEmpty() || !path.startsWith(inside)) {
                error = QStringLiteral("The packed player would not find %1 in its own folder (%2).")
                            .arg(soname, path.isEmpty() ? QStringLiteral("not found") : path);
                return false;
            }
        }
    }
    return true;
}

// The files a runtime was made from, each with its size and change time:
// the runtime is stale when one of them differs.
QByteArray sourcesOf(const QStringList& files)
{
    QByteArray text;
    for (const QString& f : files) {
        struct stat st {};
        if (::stat(QFile::encodeName(f).constData(), &st) != 0)
            return {};
        text += QByteArray::number(qint64(st.st_size)) + ' ' + QByteArray::number(qint64(st.st_mtim.tv_sec)) + '.'
                + QByteArray::number(qint64(st.st_mtim.tv_nsec)) + ' ' + QFile::encodeName(f) + '\n';
    }
    return text;
}

QStringList sourceFiles(const QByteArray& list)
{
    QStringList files;
    for (const QByteArray& line : list.split('\n')) {
        const qsizetype a = line.indexOf(' '), b = a < 0 ? -1 : line.indexOf(' ', a + 1);
        if (b > 0)
            files << QFile::decodeName(line.mid(b + 1));
    }
    return files;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// How the tar file is compressed. Measured on the real runtime (66 MB laid
// out): level 1 packs it to 10.8 MB in 5 s, level 9e to 9.5 MB in 30 s, and
// a receiver unpacks either in the same time. The suite's build pays this
// each time the player changes, so the quick level; the x86 filter still
// makes machine code some five per cent smaller. Blocks, made by the
// threaded coder so that their sizes are recorded, let the receiver's xz
// (5.4 and later) unpack them on every core. Of 2 MiB: the 37 MB tar file
// makes 18, enough to keep eight cores busy to the end, where five of 8 MiB
// left one of two cores idle for the last; 0.7 % larger than one block, and
// on two cores the unpacking takes 0.36 s against 0.42 s with 8 MiB and
// 0.6 s in one block.
const char* const kXzOptions = "--x86 --lzma2=preset=1 -T2 --block-size=2MiB";

// What travels is decided here too: a change of the lists is a new runtime.
QByteArray decisions()
{
    QByteArray id = runtime_libraries::neverBundledList().join(QLatin1Char('\n')).toUtf8() + kQtConf;
    for (const Plugin& p : kPlugins)
        id += p.path;
    return id + kXzOptions;
}

// The identity of the player and the files beside it: where they are and
// which files they are.
QString keyOf(const QStringList& files)
{
    QByteArray id = decisions();
    for (const QString& f : files) {
        const QString path = QFileInfo(f).canonicalFilePath();
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        id += QByteArray::number(quint64(st.st_dev)) + ' ' + QByteArray::number(quint64(st.st_ino)) + ' '
              + sourcesOf({path});
    }
    return QString::fromLatin1(QCryptographicHash::hash(id, QCryptographicHash::Sha1).toHex().left(16));
}

// The SHA-1 of a file's bytes in hex, empty when it cannot be read.
QByteArray hashOf(const QString& path)
{
    QFile f(path);
    QCryptographicHash h(QCryptographicHash::Sha1);
    if (!f.open(QIODevice::ReadOnly) || !h.addData(&f))
        return {};
    return h.result().toHex();
}

// The identity of the player and the files beside it by what they hold: a
// copy (make install, cp, the Debian package) has another inode and time but
// is the same player.
QByteArray contentKeyOf(const QStringList& files)
{
    QByteArray id = decisions();
    for (const QString& f : files) {
        const QByteArray h = hashOf(f);
        if (h.isEmpty())
            return {};
        id += QFile::encodeName(QFileInfo(f).fileName()) + ' ' + h + '\n';
    }
    return QCryptographicHash::hash(id, QCryptographicHash::Sha1).toHex();
}

bool putInPlace(const QString& from, const QString& to, QString& error)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    error = QStringLiteral("Cannot write %1: %2.").arg(to, file_write::reason(errno));
    return false;
}

} // namespace

QString archiveName() { return QStringLiteral("runtime.tar.xz"); }

QString cacheFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/PuzzleSuite");
}

bool stage(const QString& player, const QString& folder, QStringList& sources, QString& error)
{
    sources.clear();
    std::vector<runtime_libraries::Library> libs;
    if (!runtime_libraries::bundled({player}, libs, error))
        return false;
    if (libs.empty())
        return true;
    QStringList plugins;
    if (needsQtGui(libs)) {
        plugins = pluginFiles();
        for (const QString& p : plugins)
            if (!QFileInfo(p).isFile()) {
                error = QStringLiteral("The Qt plugin %1, which the player needs, is missing.").arg(p);
                return false;
            }
        if (!runtime_libraries::bundled(QStringList{player} + plugins, libs, error))
            return false;
    }

    const QString lib = folder + QStringLiteral("/lib/");
    if (!QDir().mkpath(lib)) {
        error = QStringLiteral("Cannot write in %1.").arg(folder);
        return false;
    }
    for (const auto& l : libs) {
        if (!copyPatched(l.path, lib + l.soname, QStringLiteral("$ORIGIN"), error))
            return false;
        // An ICU of another layout travels whole: larger, and still right.
        QString notTrimmed;
        if (icu_data_trim::isIcuData(l.soname))
            icu_data_trim::trim(lib + l.soname, notTrimmed);
    }
    QStringList programs{folder + QLatin1Char('/') + playerName()};
    if (!copyPatched(player, programs.first(), QStringLiteral("$ORIGIN/lib"), error))
        return false;
    for (int i = 0; i < plugins.size(); ++i) {
        const QString to = lib + QStringLiteral("plugins/") + QLatin1String(kPlugins[i].path);
        if (!QDir().mkpath(QFileInfo(to).absolutePath())
            || !copyPatched(plugins[i], to, QStringLiteral("$ORIGIN/../.."), error))
            return false;
        programs << to;
    }
    if (!plugins.isEmpty()) {
        if (const int e = package_files::writeFile(folder + QStringLiteral("/qt.conf"), kQtConf)) {
            error = QStringLiteral("Cannot write qt.conf: %1.").arg(file_write::reason(e));
            return false;
        }
    }
    if (!check(folder, programs, error))
        return false;
    sources << QFileInfo(player).canonicalFilePath();
    for (const auto& l : libs)
        sources << l.path;
    for (const QString& p : plugins)
        sources << QFileInfo(p).canonicalFilePath();
    return true;
}

namespace {

// Lays the runtime of `player` out in `work` (an empty folder) with the files
// `beside` it and packs it: `made` is the tar file, empty when nothing
// travels; `sources` the files it was made from, the player first and the
// `beside` ones last.
bool pack(const QString& player, const QStringList& beside, const QString& work, QString& made,
          QStringList& sources, QString& error)
{
    made.clear();
    const QString staged = work + QStringLiteral("/runtime");
    if (!QDir().mkpath(staged) || !stage(player, staged, sources, error))
        return false;
    if (sources.isEmpty())
        return true;

    QStringList members{playerName(), QStringLiteral("lib")};
    for (const QString& f : beside) {
        const QString name = QFileInfo(f).fileName();
        if (const int e = package_files::copyFile(f, staged + QLatin1Char('/') + name)) {
            error = QStringLiteral("Cannot copy %1: %2.").arg(f, file_write::reason(e));
            return false;
        }
        members << name;
        sources << QFileInfo(f).canonicalFilePath();
    }
    const QString tar = work + QLatin1Char('/') + archiveName();
    if (QFileInfo::exists(staged + QStringLiteral("/qt.conf")))
        members << QStringLiteral("qt.conf");
    QProcessEnvironment xz;
    xz.insert(QStringLiteral("XZ_OPT"), QLatin1String(kXzOptions));
    QByteArray out;
    if (!runtime_libraries::runTool(QStringLiteral("tar"),
                                    QStringList{QStringLiteral("--sort=name"), QStringLiteral("--owner=0"),
                                                QStringLiteral("--group=0"), QStringLiteral("--numeric-owner"),
                                                QStringLiteral("--sparse"), QStringLiteral("-cJf"), tar, QStringLiteral("-C"), staged}
                                        + members,
                                    out, error, xz))
        return false;
    made = tar;
    return true;
}

// The lines of a prepared runtime's key file: the player's content key, the
// archive's size and hash, then the libraries and plugins it was made from
// as sourcesOf writes them.
struct PreparedKey {
    QByteArray key;
    qint64 size = -1;
    QByteArray hash;
    QByteArray sources;
};

QByteArray keyText(const PreparedKey& k)
{
    return "key " + k.key + "\narchive " + QByteArray::number(k.size) + ' ' + k.hash + '\n' + k.sources;
}

bool parseKey(const QByteArray& text, PreparedKey& k)
{
    const qsizetype first = text.indexOf('\n'), second = first < 0 ? -1 : text.indexOf('\n', first + 1);
    if (second < 0 || !text.startsWith("key "))
        return false;
    k.key = text.mid(4, first - 4);
    const QList<QByteArray> archive = text.mid(first + 1, second - first - 1).split(' ');
    bool ok = false;
    if (archive.size() != 3 || archive[0] != "archive")
        return false;
    k.size = archive[1].toLongLong(&ok);
    k.hash = archive[2];
    k.sources = text.mid(second + 1);
    return ok && !k.key.isEmpty() && !k.hash.isEmpty() && !k.sources.isEmpty();
}

} // namespace

QString preparedArchive(const QString& programFolder)
{
    return QDir::cleanPath(programFolder + QLatin1Char('/') + archiveName());
}

QString preparedKey(const QString& programFolder) { return QDir::cleanPath(programFolder + QStringLiteral("/runtime.key")); }

bool writePrepared(const QString& player, const QStringList& beside, const QString& folder, QString& error)
{
    const QString tar = preparedArchive(folder), keyFile = preparedKey(folder);
    // An old pair must not outlive a failure: it would be this folder's
    // runtime for a player it was not made from.
    QFile::remove(keyFile);
    QFile::remove(tar);
    QTemporaryDir work(folder + QStringLiteral("/.runtime-XXXXXX"));
    if (!work.isValid()) {
        error = QStringLiteral("Cannot write in %1: %2").arg(folder, work.errorString());
        return false;
    }
    if (!runtime_libraries::isElf(player))
        return true;
    QString made;
    QStringList sources;
    if (!pack(player, beside, work.path(), made, sources, error))
        return false;
    if (made.isEmpty())
        return true;
    PreparedKey k;
    k.key = contentKeyOf(QStringList{player} + beside);
    k.size = QFileInfo(made).size();
    k.hash = hashOf(made);
    // The player and its side files are in the key by content; the rest stay
    // where the system keeps them.
    k.sources = sourcesOf(sources.mid(1, sources.size() - 1 - beside.size()));
    if (k.key.isEmpty() || k.hash.isEmpty() || k.sources.isEmpty()) {
        error = QStringLiteral("Cannot read the files the runtime was made from.");
        return false;
    }
    const QString madeKey = work.filePath(QStringLiteral("key"));
    if (const int e = package_files::writeFile(madeKey, keyText(k))) {
        error = QStringLiteral("Cannot write in %1: %2.").arg(folder, file_write::reason(e));
        return false;
    }
    return putInPlace(made, tar, error) && putInPlace(madeKey, keyFile, error);
}

QString preparedFor(const QString& player, const QStringList& beside)
{
    const QString folder = QFileInfo(player).absolutePath();
    const QString tar = preparedArchive(folder);
    PreparedKey k;
    if (!parseKey(readAll(preparedKey(folder)), k))
        return {};
    // The cheap checks first: a cut-short copy shows in its size, a changed
    // Qt in the libraries' sizes and times.
    if (QFileInfo(tar).size() != k.size || sourcesOf(sourceFiles(k.sources)) != k.sources)
        return {};
    if (contentKeyOf(QStringList{player} + beside) != k.key || hashOf(tar) != k.hash)
        return {};
    return tar;
}

bool prepare(const QString& player, const QStringList& beside, QString& archive, QString& error)
{
    archive = preparedFor(player, beside);
    if (!archive.isEmpty())
        return true;
    const QString cache = cacheFolder();
    const QString base = cache + QStringLiteral("/runtime-") + keyOf(QStringList{player} + beside);
    const QString tar = base + QStringLiteral(".tar.xz"), list = base + QStringLiteral(".sources");
    const QByteArray recorded = readAll(list);
    if (!recorded.isEmpty() && QFileInfo(tar).isFile() && sourcesOf(sourceFiles(recorded)) == recorded) {
        archive = tar;
        return true;
    }
    // No runtime travels: the player goes as it is, nothing to keep.
    if (!runtime_libraries::isElf(player))
        return true;

    if (!QDir().mkpath(cache)) {
        error = QStringLiteral("Cannot make the folder %1.").arg(cache);
        return false;
    }
    QTemporaryDir work(cache + QStringLiteral("/.runtime-XXXXXX"));
    if (!work.isValid()) {
        error = QStringLiteral("Cannot write in %1: %2").arg(cache, work.errorString());
        return false;
    }
    QString made;
    QStringList sources;
    if (!pack(player, beside, work.path(), made, sources, error))
        return false;
    if (made.isEmpty())
        return true;
    const QString madeList = work.filePath(QStringLiteral("sources"));
    if (const int e = package_files::writeFile(madeList, sourcesOf(sources))) {
        error = QStringLiteral("Cannot write in %1: %2.").arg(cache, file_write::reason(e));
        return false;
    }
    // Runtimes of earlier players are of no more use.
    for (const QString& old : QDir(cache).entryList({QStringLiteral("runtime-*")}, QDir::Files))
        QFile::remove(cache + QLatin1Char('/') + old);
    if (!putInPlace(made, tar, error) || !putInPlace(madeList, list, error))
        return false;
    archive = tar;
    return true;
}

} // namespace player_runtime
