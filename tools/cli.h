#pragma once

// pelanova-cli's dispatcher: the global options, the table of commands and
// the usage text.

#include <functional>

namespace pelanova::cli {

class Context;
struct Arguments;

using Command = std::function<int(Context &, const Arguments &)>;

// Runs the command line; `report` is the report command. The reports are
// drawn by Qt, whose libraries take longer to load than most commands take to
// run, so pelanova-cli hands the report command to a program of its own
// (reportProgram) and starts without them.
int run(int argc, char **argv, const Command &report);

// The report command of pelanova-cli: replaces the process with
// pelanova-cli-report on the same command line (beside the program, or in
// ../libexec/pelanova when installed).
Command reportProgram(char **argv);

} // namespace pelanova::cli
