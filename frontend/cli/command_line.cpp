#include "command_line.h"

#include "custom_level.h"
#include "library_file.h"
#include "library_start.h"
#include "load_model.h"
#include "mail_handoff.h"
#include "maker_ui.h"
#include "puzzle_maker.h"
#include "puzzle_names.h"
#include "puzzle_package.h"
#include "start_arguments.h"
#include "suite_folders.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <QSemaphore>
#include <QTextStream>
#include <QThreadPool>

#include <malloc.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

namespace {

enum Exit { kDone = 0, kRefused = 1, kUsage = 2 };

const char* const kUsageText =
    "Usage: Vorlin --make PICTURE --name NAME [--level easy|normal|hard] [--rows N]\n"
    "              [--no-rotation] [--yes]\n"
    "       Vorlin --pack NAME | --send NAME [--lean]\n"
    "       Vorlin --list\n"
    "       Vorlin --help\n"
    "\n"
    "Makes a puzzle from PICTURE, as the new-game wizard does, and records it in\n"
    "the puzzle library. The files go into the suite's Data folder.\n"
    "\n"
    "  --make PICTURE   the picture file (JPEG, PNG, BMP, ...)\n"
    "  --name NAME      the puzzle's name, at most 12 characters\n"
    "  --level LEVEL    easy (cells of 96 pixels), normal (72, the default) or\n"
    "                   hard (48)\n"
    "  --rows N         the custom level with N rows; the cell size follows from\n"
    "                   the rows and the columns from the picture's width\n"
    "  --no-rotation    the pieces are never turned\n"
    "  --yes            replace a puzzle of the same name without asking\n"
    "  --pack NAME      build the self-extracting package of puzzle NAME for\n"
    "                   sending (or find the one built before) and print its path\n"
    "  --send NAME      as --pack, then open a new message of the desktop's mail\n"
    "                   program with the package attached\n"
    "  --lean           with --pack or --send: a small package without the\n"
    "                   player's runtime, for a receiver who has Qt 6 installed;\n"
    "                   without it the package plays on any Linux desktop\n"
    "  --list           prints the puzzle library instead: number, name, size\n"
    "                   (columns X rows) and whether the puzzle and thumbnail\n"
    "                   files are in the Data folder\n"
    "  --help           this text\n"
    "\n"
    "Prints the files it wrote. Exit status: 0 done, 1 refused or failed,\n"
    "2 a wrong command line.\n";

struct Output {
    QTextStream out{stdout};
    QTextStream err{stderr};
};

int usageError(Output& io, const QString& why)
{
    io.err << "Vorlin: " << why << "\n\n" << kUsageText;
    return kUsage;
}

int refused(Output& io, const QString& why)
{
    io.err << "Vorlin: " << why << "\n";
    return kRefused;
}

// The answers the wizard would get from its user, taken from the options.
class OptionsUi : public MakerUi {
public:
    OptionsUi(std::optional<int> rows, bool yes) : rows_(rows), yes_(yes) {}

    bool chooseCustomLevel(int width, int height, int& rows, int& columns, int& cell) override
    {
        CustomLevel level = CustomLevel::start(width, height);
        if (!rows_ || !level.stepTo(*rows_)) {
            CustomLevel low = CustomLevel::start(width, height), high = low;
            while (low.minus()) {}
            while (high.plus()) {}
            refusal_ = QStringLiteral("The custom level cannot show %1 rows for a %2 x %3 picture; it shows %4 to %5.")
                           .arg(rows_.value_or(0)).arg(width).arg(height).arg(low.rows).arg(high.rows);
            return false;
        }
        rows = level.rows;
        columns = level.columns;
        cell = level.cell;
        return true;
    }
    bool confirmOverwrite() override
    {
        declined_ = !yes_;
        return yes_;
    }
    void progressStart(int) override {}
    void progressAdvance(int) override {}
    void progressEnd() override {}

    const QString& refusal() const { return refusal_; }
    bool declined() const { return declined_; }

private:
    std::optional<int> rows_;
    bool yes_;
    QString refusal_;
    bool declined_ = false;
};

struct MakeOptions {
    QString picture;
    QString name;
    bool hasName = false;
    std::optional<int> level;
    std::optional<int> rows;
    bool rotation = true;
    bool yes = false;
};

// Reads the options of --make; an empty result means they were fine.
QString parseMake(const QStringList& args, MakeOptions& o)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString& into) {
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        QString v;
        if (a == QLatin1String("--make")) {
            if (!value(o.picture))
                return QStringLiteral("--make needs a picture file.");
        } else if (a == QLatin1String("--name")) {
            if (!value(o.name))
                return QStringLiteral("--name needs a name.");
            o.hasName = true;
        } else if (a == QLatin1String("--level")) {
            if (!value(v))
                return QStringLiteral("--level needs easy, normal or hard.");
            const QStringList levels{QStringLiteral("easy"), QStringLiteral("normal"), QStringLiteral("hard")};
            const int l = int(levels.indexOf(v.toLower()));
            if (l < 0)
                return QStringLiteral("Unknown level \"%1\"; use easy, normal or hard.").arg(v);
            o.level = l;
        } else if (a == QLatin1String("--rows")) {
            bool ok = false;
            const int n = value(v) ? v.toInt(&ok) : 0;
            if (!ok)
                return QStringLiteral("--rows needs a number of rows.");
            o.rows = n;
        } else if (a == QLatin1String("--no-rotation")) {
            o.rotation = false;
        } else if (a == QLatin1String("--yes")) {
            o.yes = true;
        } else {
            return QStringLiteral("Unknown option \"%1\".").arg(a);
        }
    }
    if (o.picture.isEmpty())
        return QStringLiteral("--make needs a picture file.");
    if (!o.hasName)
        return QStringLiteral("--name is missing.");
    if (o.level && o.rows)
        return QStringLiteral("--level and --rows cannot be given together; --rows is the custom level.");
    return QString();
}

// Qt spreads the conversion and scaling of a picture over its global thread
// pool, unless it is called from a thread of that pool. For our pictures
// (640 x 480 at most) the threads' starts and hand-overs cost about what
// they save, on a machine whose other cores are busy more: the whole make
// runs on one pool thread, where Qt does that work in line.
int inPoolThread(const std::function<int()>& work)
{
    int result = kRefused;
    QSemaphore done;
    QThreadPool::globalInstance()->start([&] {
        result = work();
        done.release();
    });
    done.acquire();
    return result;
}

int makePuzzle(const QStringList& args, Output& io);

int runMake(const QStringList& args, Output& io)
{
    // The pictures of one make are a dozen blocks of a megabyte or so, made
    // and freed in turn: kept in the heap rather than handed back to the
    // system after each, every one after the first costs no page faults.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
    return inPoolThread([&] { return makePuzzle(args, io); });
}

int makePuzzle(const QStringList& args, Output& io)
{
    MakeOptions o;
    if (const QString why = parseMake(args, o); !why.isEmpty())
        return usageError(io, why);
    // The name is checked before the picture is read: a wrong name costs nothing.
    if (const QString why = puzzle_names::whyNotUsable(o.name); !why.isEmpty())
        return refused(io, why);

    PuzzleMaker maker(SuiteFolders::forThisProgram());
    if (!maker.LoadFromPath(o.picture))
        return refused(io, maker.lastError());

    OptionsUi ui(o.rows, o.yes);
    const int level = o.rows ? PuzzleMaker::Custom : o.level.value_or(PuzzleMaker::Normal);
    if (!maker.PrepareLevel(level, ui))
        return refused(io, maker.lastError().isEmpty() ? ui.refusal() : maker.lastError());
    maker.SetRotation(o.rotation ? 1 : 0);
    if (!maker.WritePuzzle(o.name, ui)) {
        if (ui.declined())
            return refused(io, QStringLiteral("A puzzle named \"%1\" already exists in %2; add --yes to replace it.")
                                   .arg(o.name, maker.folders().data));
        return refused(io, maker.lastError());
    }
    for (const QString& path : maker.writtenFiles())
        io.out << path << "\n";
    return kDone;
}

// The library's own spelling of a puzzle name (it names the puzzle's
// files); empty when the library has no such puzzle.
QString libraryName(const SuiteFolders& folders, const QString& wanted)
{
    const LibraryFile library(folders.libraryFile);
    for (const LibraryRecord& r : library.readList(folders.data))
        if (puzzle_names::sameName(r.name, wanted))
            return r.name;
    return QString();
}

// --pack NAME and --send NAME: the package built or found; false after
// saying why.
bool packageFor(QStringList args, const char* option, Output& io, QString& path, int& exit)
{
    const bool lean = args.removeAll(QStringLiteral("--lean")) > 0;
    const qsizetype at = args.indexOf(QLatin1String(option));
    if (at + 1 >= args.size()) {
        exit = usageError(io, QStringLiteral("%1 needs the name of a puzzle.").arg(QLatin1String(option)));
        return false;
    }
    if (args.size() != 2) {
        exit = usageError(io, QStringLiteral("%1 takes no other options but --lean.").arg(QLatin1String(option)));
        return false;
    }
    const SuiteFolders folders = SuiteFolders::forThisProgram();
    const QString name = libraryName(folders, args[at + 1]);
    if (name.isEmpty()) {
        exit = refused(io, QStringLiteral("No puzzle named \"%1\" in the library %2.").arg(args[at + 1], folders.libraryFile));
        return false;
    }
    QString error;
    if (!packPuzzle(folders, name, path, error, lean ? puzzle_package::Kind::Lean : puzzle_package::Kind::Full)) {
        exit = refused(io, QString(error).replace(QLatin1Char('\n'), QStringLiteral(": ")));
        return false;
    }
    return true;
}

int runPack(const QStringList& args, Output& io)
{
    QString path;
    int exit = kDone;
    if (!packageFor(args, "--pack", io, path, exit))
        return exit;
    io.out << path << "\n";
    return kDone;
}

// What the load window's E-mail button does: the package into a new message
// of the user's mail program.
int runSend(const QStringList& args, Output& io)
{
    QString path;
    int exit = kDone;
    if (!packageFor(args, "--send", io, path, exit))
        return exit;
    const mail_handoff::Result handed = mail_handoff::handOff(path);
    if (!handed.handed())
        return refused(io, mail_handoff::messageText(handed));
    io.out << path << "\n";
    return kDone;
}

int runList(const QStringList& args, Output& io)
{
    if (args.size() > 1)
        return usageError(io, QStringLiteral("--list takes no other options."));
    const SuiteFolders folders = SuiteFolders::forThisProgram();
    const LibraryFile lib(folders.libraryFile);
    if (!lib.usable())
        return refused(io, QStringLiteral("\"%1\" is not a puzzle library.").arg(lib.path()));
    // A file that is no library lists nothing, which would read as an
    // empty library.
    if (const QString why = lib.whyNotWritable(); !why.isEmpty() && QFileInfo::exists(lib.path()))
        return refused(io, why);
    const std::vector<LibraryRecord> list = lib.readList(folders.data);
    if (list.empty()) {
        io.out << "No puzzles in " << lib.path() << "\n";
        return kDone;
    }
    const auto have = [&](const QString& name, const char* suffix) {
        // The files are found in any case, as the load window finds them.
        return !name.isEmpty() && QFileInfo::exists(load_model::existingSpelling(folders.data, name + QLatin1String(suffix)))
                   ? "yes"
                   : "missing";
    };
    io.out << QStringLiteral("%1  %2  %3  %4  %5\n")
                  .arg(QStringLiteral("#"), 4)
                  .arg(QStringLiteral("Name"), -14)
                  .arg(QStringLiteral("Size"), -8)
                  .arg(QStringLiteral("Puzzle"), -7)
                  .arg(QStringLiteral("Thumbnail"));
    int number = 0;
    for (const LibraryRecord& r : list)
        io.out << QStringLiteral("%1  %2  %3  %4  %5\n")
                      .arg(++number, 4)
                      .arg(r.name.isEmpty() ? QStringLiteral("(no name)") : r.name, -14)
                      .arg(r.sizeText, -8)
                      .arg(QLatin1String(have(r.name, ".puz")), -7)
                      .arg(QLatin1String(have(r.name, ".bmp")));
    return kDone;
}


int runHelp(const QStringList& args, Output& io)
{
    if (args.size() > 1)
        return usageError(io, QStringLiteral("--help takes no other options."));
    io.out << kUsageText;
    return kDone;
}

// The commands by the option that names them; the others of a command
// line are that command's own options.
struct Command {
    const char* option;
    int (*run)(const QStringList& args, Output& io);
};
const Command kCommands[] = {
    {"--make", runMake},
    {"--pack", runPack},
    {"--send", runSend},
    {"--list", runList},
    {"--help", runHelp},
};

} // namespace

bool wantsCommandLine(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc && argv; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return start_arguments::wantsCommandLine(args);
}

int commandLineMain(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

    // The folders come from where the program lies, which needs an
    // application object; a core one needs no display.
    std::unique_ptr<QCoreApplication> app;
    int appArgc = argc;
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(appArgc, argv);

    // The same start as the windows': whatever a command reads, the library
    // agrees with the puzzles' files.
    library_start::prepare(SuiteFolders::forThisProgram());

    Output io;
    for (const Command& c : kCommands)
        if (args.contains(QLatin1String(c.option)))
            return c.run(args, io);
    if (args.contains(QLatin1String("-h")))
        return runHelp(QStringList{QStringLiteral("--help")}, io);
    return usageError(io, args.isEmpty() ? QStringLiteral("No command given.")
                                         : QStringLiteral("Unknown option \"%1\".").arg(args.first()));
}
