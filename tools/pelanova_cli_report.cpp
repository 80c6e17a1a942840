// pelanova-cli-report: pelanova-cli with the reports, which pelanova-cli's
// report command runs in its place.
#include "cli.h"
#include "cli_report.h"

int main(int argc, char **argv)
{
    return pelanova::cli::run(argc, argv, pelanova::cli::reportCommand);
}
