#include "puzzle_names.h"

#include <QDir>
#include <QFileInfo>

namespace puzzle_names {

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString whyNotUsable(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("Please give a name for the puzzle first!");
    if (name.size() > kMaxLength)
        return QStringLiteral("A puzzle name has at most %1 characters.").arg(kMaxLength);
    for (const QChar c : name) {
        // "/" cannot be in a file name, and "\\" is a folder separator to the
        // archive tools and Windows machines puzzles travel to; control
        // characters would break the library file's lines.
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return QStringLiteral("A puzzle name cannot contain control characters.");
        if (c == QLatin1Char('/') || c == QLatin1Char('\\'))
            return QStringLiteral("A puzzle name cannot contain \"%1\".").arg(c);
    }
    // The library's search reads an entry without a name as this word, so
    // a puzzle of that name could never be found again.
    if (name == QLatin1String("NUVARK_NULL"))
        return QStringLiteral("\"NUVARK_NULL\" cannot be the name of a puzzle.");
    // The library file trims its values, so such a name would not read back
    // as the name of its files.
    if (name.front().isSpace() || name.back().isSpace())
        return QStringLiteral("A puzzle name cannot begin or end with a blank.");
    // The library file reads a value in a pair of quotes without them, so
    // "Dog" would be listed as Dog and its files, "Dog".puz and the rest,
    // never found again.
    const QChar first = name.front();
    if (name.size() >= 2 && (first == QLatin1Char('"') || first == QLatin1Char('\'')) && name.back() == first)
        return QStringLiteral("A puzzle name cannot begin and end with %1.").arg(first);
    return QString();
}

QStringList folderFiles(const QString& folder)
{
    // Listing the folder costs one read however many puzzles it holds.
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

QStringList spellingsAmong(const QStringList& files, const QString& fileName)
{
    QStringList out;
    for (const QString& f : files)
        if (sameName(f, fileName))
            out << f;
    return out;
}

QStringList spellingsOf(const QString& folder, const QString& fileName)
{
    return spellingsAmong(folderFiles(folder), fileName);
}

QString storedSpelling(const QString& folder, const QString& name)
{
    const QString file = name + QStringLiteral(".puz");
    if (QFileInfo::exists(folder + file))
        return name;
    const QStringList found = spellingsOf(folder, file);
    if (found.isEmpty())
        return name;
    return found.first().chopped(file.size() - name.size());
}

} // namespace puzzle_names
