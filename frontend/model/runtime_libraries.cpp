#include "runtime_libraries.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace runtime_libraries {

namespace {

// A name matches when it starts with the prefix; prefixes end in ".so" where
// a longer name of another library shares their start (libxcb.so.1 stays,
// libxcb-icccm.so.4 travels).
struct Rule {
    const char* prefix;
    const char* why;
};

const Rule kNeverBundled[] = {
    {"ld-linux", "the dynamic loader: the receiver's own starts every program"},
    {"libc.so", "glibc: one per system, tied to its loader and kernel"},
    {"libm.so", "part of glibc"},
    {"libdl.so", "part of glibc"},
    {"libpthread.so", "part of glibc"},
    {"librt.so", "part of glibc"},
    {"libresolv.so", "part of glibc"},
    {"libutil.so", "part of glibc"},
    {"libnss_", "part of glibc, loaded by it for user and host look-ups"},
    {"libstdc++.so", "the C++ runtime: the receiver's GL drivers load theirs too, and an older copy would break them"},
    {"libgcc_s.so", "the compiler's unwinder, in every system's base and loaded with the C++ runtime"},
    {"libGL.so", "OpenGL: must match the receiver's graphics driver"},
    {"libEGL.so", "EGL: must match the receiver's graphics driver"},
    {"libGLX.so", "GLX: must match the receiver's graphics driver"},
    {"libGLdispatch.so", "the GL vendor dispatch: must match the receiver's graphics driver"},
    {"libGLESv2.so", "OpenGL ES: must match the receiver's graphics driver"},
    {"libgbm.so", "the graphics driver's buffer manager"},
    {"libdrm.so", "the kernel graphics driver's interface"},
    {"libX11.so", "Xlib: comes with every X desktop and XWayland"},
    {"libX11-xcb.so", "part of Xlib, must match the receiver's"},
    {"libxcb.so", "the X protocol core: comes with every X desktop"},
    {"libXau.so", "X authorisation, part of the X core"},
    {"libXdmcp.so", "X display manager protocol, part of the X core"},
    {"libfontconfig.so", "fontconfig: reads the receiver's own font configuration, which must match its version"},
    {"libfreetype.so", "FreeType: every desktop has it, shared with fontconfig"},
    {"libz.so", "zlib: in every system's base, and the receiver's FreeType and libpng use that one copy"},
    {"libzstd.so", "zstd: in every system's base, which systemd and the package manager load it for"},
    {"libdbus-1.so", "D-Bus: talks to the receiver's own bus daemon"},
    {"libgssapi_krb5.so", "Kerberos: on every desktop, reads the receiver's own krb5.conf and plugins"},
    {"libkrb5.so", "part of Kerberos"},
    {"libk5crypto.so", "part of Kerberos"},
    {"libkrb5support.so", "part of Kerberos"},
    {"libcom_err.so", "Kerberos' error tables, in every system's base"},
    {"libasound.so", "ALSA: must match the receiver's sound setup"},
    {"libpulse", "the PulseAudio or PipeWire client: must match the receiver's sound server"},
    {"libglib-2.0.so", "GLib: every desktop has it, and its GL and sound libraries share that one copy"},
    {"libgobject-2.0.so", "part of GLib"},
    {"libgio-2.0.so", "part of GLib"},
    {"libgmodule-2.0.so", "part of GLib"},
    {"libgthread-2.0.so", "part of GLib"},
};

} // namespace

bool runTool(const QString& program, const QStringList& args, QByteArray& out, QString& error,
             const QProcessEnvironment& extra)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& key : extra.keys())
        env.insert(key, extra.value(key));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    // What this computer resolves by default, not what a caller's library
    // path would bring in.
    env.remove(QStringLiteral("LD_LIBRARY_PATH"));
    p.setProcessEnvironment(env);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(program, args);
    if (!p.waitForStarted() || !p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        error = QStringLiteral("%1 could not be run.").arg(program);
        return false;
    }
    out = p.readAllStandardOutput();
    const QByteArray err = p.readAllStandardError().trimmed();
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        error = QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(err.isEmpty() ? out.trimmed() : err));
        return false;
    }
    return true;
}

bool neededBy(const QStringList& files, QStringList& out, QString& error)
{
    QByteArray text;
    if (!runTool(QStringLiteral("objdump"), QStringList{QStringLiteral("-p")} + files, text, error))
        return false;
    for (const QByteArray& raw : text.split('\n')) {
        const QList<QByteArray> words = raw.simplified().split(' ');
        if (words.size() == 2 && words[0] == "NEEDED")
            out << QString::fromUtf8(words[1]);
    }
    return true;
}

QString whyNotBundled(const QString& soname)
{
    for (const Rule& r : kNeverBundled)
        if (soname.startsWith(QLatin1String(r.prefix)))
            return QString::fromUtf8(r.why);
    return QString();
}

QStringList neverBundledList()
{
    QStringList lines;
    for (const Rule& r : kNeverBundled)
        lines << QStringLiteral("%1*: %2").arg(QLatin1String(r.prefix), QString::fromUtf8(r.why));
    return lines;
}

bool isElf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.read(4) == QByteArray("\x7f" "ELF");
}

bool lddMap(const QString& file, std::map<QString, QString>& out, bool& dynamic, QString& error)
{
    dynamic = false;
    if (!isElf(file))
        return true;
    QByteArray text;
    if (!runTool(QStringLiteral("ldd"), {file}, text, error)) {
        // ldd says so, and fails, for a program that links everything in.
        if (error.contains(QLatin1String("not a dynamic executable")) || error.contains(QLatin1String("statically linked"))) {
            error.clear();
            return true;
        }
        return false;
    }
    dynamic = true;
    // "\tlibname.so.1 => /path/libname.so.1 (0x...)" or "... => not found".
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        const qsizetype arrow = line.indexOf(" => ");
        if (arrow <= 0)
            continue;
        const QString soname = QString::fromUtf8(line.left(arrow));
        QByteArray where = line.mid(arrow + 4);
        if (where.startsWith("not found")) {
            out[soname] = QString();
            continue;
        }
        if (const qsizetype paren = where.lastIndexOf(" ("); paren >= 0)
            where.truncate(paren);
        const QString path = QFileInfo(QFile::decodeName(where.trimmed())).canonicalFilePath();
        if (!path.isEmpty())
            out[soname] = path;
    }
    return true;
}

bool bundled(const QStringList& roots, std::vector<Library>& out, QString& error)
{
    out.clear();
    // ldd of each root resolves its whole tree as the loader would here.
    std::map<QString, QString> where;
    QStringList dynamicRoots;
    for (const QString& root : roots) {
        bool dynamic = false;
        if (!lddMap(root, where, dynamic, error))
            return false;
        if (dynamic)
            dynamicRoots << root;
    }
    if (dynamicRoots.isEmpty())
        return true;

    QSet<QString> seen;
    QStringList layer = dynamicRoots;
    while (!layer.isEmpty()) {
        QStringList names;
        if (!neededBy(layer, names, error))
            return false;
        layer.clear();
        for (const QString& soname : names) {
            if (seen.contains(soname) || !whyNotBundled(soname).isEmpty())
                continue;
            seen.insert(soname);
            const auto found = where.find(soname);
            if (found == where.end() || found->second.isEmpty()) {
                error = QStringLiteral("The player needs %1, which this computer does not have.").arg(soname);
                return false;
            }
            out.push_back({soname, found->second});
            layer << found->second;
        }
    }
    std::sort(out.begin(), out.end(), [](const Library& a, const Library& b) { return a.soname < b.soname; });
    return true;
}

} // namespace runtime_libraries
