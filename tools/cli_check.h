#pragma once

#include "cliarguments.h"

namespace pelanova::cli {

// check FILE [--date YYYYMMDD]: the Zengin check of a transfer file, one
// finding a line as TSV (record, column, error|warning, sentence). Exit 0
// without errors, 1 with errors. The file is only read.
int checkCommand(Context &ctx, const Arguments &args);

} // namespace pelanova::cli
