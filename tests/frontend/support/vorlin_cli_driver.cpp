// Vorlin's command line alone, as the program runs it when given arguments.
#include "command_line.h"

int main(int argc, char** argv)
{
    return commandLineMain(argc, argv);
}
