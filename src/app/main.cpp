// Start-up: the program runs from start to end in RunProgram.

#include "ui/Program.h"

int main(int argc, char* argv[])
{
    return ql::ui::RunProgram(argc, argv);
}
