#pragma once

// pelanova-cli's dispatcher: the global options, the table of commands and
// the usage text.

namespace pelanova::cli {

int run(int argc, char **argv);

} // namespace pelanova::cli
