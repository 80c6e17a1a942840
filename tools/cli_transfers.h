#pragma once

#include "cliarguments.h"

namespace pelanova::cli {

// lines --date YYYYMMDD --consignor CODE [--facility KEY]: the aggregated
// transfer lines as TSV (the eight fields of each line), then TOTAL, count, sum.
int linesCommand(Context &ctx, const Arguments &args);

// write-file --date YYYYMMDD --consignor CODE [--force] FILE: the merged
// transfer file of all facilities. An existing FILE is kept unless --force.
// The Zengin check's findings go to stderr as TSV lines; with an error
// nothing is written.
int writeFileCommand(Context &ctx, const Arguments &args);

} // namespace pelanova::cli
