// pelanova-cli: the command-line companion of Pelanova over the same core.
#include "cli.h"

int main(int argc, char **argv)
{
    return pelanova::cli::run(argc, argv, pelanova::cli::reportProgram(argv));
}
