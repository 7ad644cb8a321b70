// A player that is killed: it plays a seeded game on the test clock, one
// change a step, runs the recovery due-check after each and waits for the
// copy to be on disk, then prints "<step> <play time>". The kill test stops
// it at moments of its own choosing and reads what is left on disk.
//
//   recovery_kill_driver <seed> <steps>
// First line: "copy <path of the recovery copy>", last line: "done".

#include "game_fixture.h"

#include "command_ids.h"

#include <cstdio>
#include <random>

int main(int argc, char** argv)
{
    QApplication qt(argc, argv);
    if (argc < 3)
        return 2;
    std::mt19937 random(uint32_t(std::strtoul(argv[1], nullptr, 10)));
    const int steps = std::atoi(argv[2]);

    Game g(10, 8, 40, true);
    std::printf("copy %s\n", qPrintable(g.frame->recoveryPath()));
    std::fflush(stdout);
    for (int step = 1; step <= steps; ++step) {
        // The script's own clock: anything from a quick click to a long look.
        tick::advanceForTest(50 + random() % 350);
        const int box = g.doc->boxList().size();
        if (box > 0 && random() % 4 != 0) {
            const CPiece* p = g.doc->boxList()[int(random() % unsigned(box))];
            g.placeFromStrip(p->column, p->row);
        } else {
            g.frame->OnCommand(cmd::kBackground);
        }
        g.frame->checkRecovery();
        g.frame->flushRecovery();
        std::printf("%d %d\n", step, g.frame->playTime());
        std::fflush(stdout);
    }
    std::printf("done\n");
    std::fflush(stdout);
    return 0;
}
