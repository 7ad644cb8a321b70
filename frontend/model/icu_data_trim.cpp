#include "icu_data_trim.h"

#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// The zeros left by the trim are most of the file; written as holes, the
// runtime's tar (made with --sparse) carries and unpacks only the data, and a
// receiver's disk never gets 30 MB of zeros written to it.
bool writeSparse(QFile& out, const QByteArray& d)
{
    constexpr qsizetype kChunk = 64 * 1024;
    static const QByteArray zeros(kChunk, '\0');
    for (qsizetype at = 0; at < d.size(); at += kChunk) {
        const qsizetype n = std::min(kChunk, d.size() - at);
        if (n == kChunk && std::memcmp(d.constData() + at, zeros.constData(), size_t(n)) == 0)
            continue;
        if (!out.seek(at) || out.write(d.constData() + at, n) != n)
            return false;
    }
    return out.resize(d.size()) && out.flush();
}

} // namespace

namespace icu_data_trim {

namespace {

// Items kept, by their name after the "icudtNNl/" prefix. Everything in a
// sub-folder (coll/, brkitr/, zone/, curr/, lang/, region/, unit/,
// translit/, rbnf/) goes, and so do the character set tables (.cnv) and
// every locale but the root and English ones the fallback chain ends in.
bool kept(const QByteArray& item)
{
    if (item.contains('/') || item.endsWith(".cnv"))
        return false;
    if (item.endsWith(".res"))
        return item == "root.res" || item == "pool.res" || item == "res_index.res" || item == "en.res";
    return true; // character names and properties, normalisation, aliases
}

quint32 le32(const QByteArray& d, qsizetype at)
{
    quint32 v = 0;
    std::memcpy(&v, d.constData() + at, 4);
    return v; // the data is little-endian, as is every machine this runs on
}

void put32(QByteArray& d, qsizetype at, quint32 v) { std::memcpy(d.data() + at, &v, 4); }

} // namespace

bool isIcuData(const QString& soname) { return soname.startsWith(QLatin1String("libicudata.so")); }

bool trim(const QString& path, QString& error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Cannot read %1.").arg(path);
        return false;
    }
    QByteArray d = f.readAll();
    f.close();
    const auto unknown = [&] {
        error = QStringLiteral("%1 does not hold ICU data as this program knows it.").arg(path);
        return false;
    };
    // The common data block: a 16-bit header size, the magic 0xda 0x27, a
    // little-endian flag, then the format "CmnD"; after the header, a count
    // and that many (name offset, data offset) pairs, both from the count's
    // own position, sorted by name, the items in the same order.
    const qsizetype format = d.indexOf("CmnD");
    if (format < 12)
        return unknown();
    const qsizetype base = format - 12;
    const uchar* b = reinterpret_cast<const uchar*>(d.constData()) + base;
    if (b[2] != 0xda || b[3] != 0x27 || b[8] != 0 /* big-endian */)
        return unknown();
    const qsizetype toc = base + (b[0] | (b[1] << 8));
    if (toc + 4 > d.size())
        return unknown();
    const quint32 count = le32(d, toc);
    if (count == 0 || toc + 4 + qsizetype(count) * 8 > d.size())
        return unknown();
    struct Entry {
        quint32 name, data;
    };
    std::vector<Entry> entries(count);
    for (quint32 i = 0; i < count; ++i) {
        entries[i] = {le32(d, toc + 4 + i * 8), le32(d, toc + 8 + i * 8)};
        if (toc + entries[i].name >= d.size() || toc + entries[i].data > d.size()
            || (i > 0 && entries[i].data < entries[i - 1].data))
            return unknown();
    }
    std::vector<Entry> keep;
    for (quint32 i = 0; i < count; ++i) {
        const char* name = d.constData() + toc + entries[i].name;
        const qsizetype end = d.indexOf('\0', toc + entries[i].name);
        if (end < 0)
            return unknown();
        const QByteArray full(name, end - (toc + entries[i].name));
        const qsizetype slash = full.indexOf('/');
        // The last item's end is not recorded; it stays.
        if (slash < 0 || i + 1 == count || kept(full.mid(slash + 1))) {
            keep.push_back(entries[i]);
            continue;
        }
        std::memset(d.data() + toc + entries[i].data, 0, entries[i + 1].data - entries[i].data);
    }
    put32(d, toc, quint32(keep.size()));
    for (size_t i = 0; i < keep.size(); ++i) {
        put32(d, toc + 4 + qsizetype(i) * 8, keep[i].name);
        put32(d, toc + 8 + qsizetype(i) * 8, keep[i].data);
    }
    std::memset(d.data() + toc + 4 + keep.size() * 8, 0, (count - keep.size()) * 8);

    // Beside it, then in its place: a failed write leaves the whole library.
    QFile out(path + QStringLiteral(".trimmed"));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || !writeSparse(out, d)) {
        error = QStringLiteral("Cannot write %1: %2").arg(out.fileName(), out.errorString());
        out.close();
        out.remove();
        return false;
    }
    out.close();
    out.setPermissions(f.permissions());
    if (std::rename(QFile::encodeName(out.fileName()).constData(), QFile::encodeName(path).constData()) != 0) {
        error = QStringLiteral("Cannot replace %1.").arg(path);
        out.remove();
        return false;
    }
    return true;
}

} // namespace icu_data_trim
