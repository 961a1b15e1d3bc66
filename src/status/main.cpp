#include "StatusCommand.h"

int main(int argc, char *argv[])
{
    return StatusCommand::run(argc, argv);
}
