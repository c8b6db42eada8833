// The windowed program. It reads no command line: everything it needs comes from the
// program directory (the current directory at start) and the user's data directory.
#include "app/gui/ProgramMain.h"

int main(int argc, char **argv)
{
    return vivrelo::ProgramMain(argc, argv);
}
