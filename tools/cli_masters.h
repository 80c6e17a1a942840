#pragma once

#include "cliarguments.h"

namespace pelanova::cli {

// export recipients|consignors|facilities|recipient-list OUT.csv|OUT.xlsx
int exportCommand(Context &ctx, const Arguments &args);
// import-master recipients|consignors|facilities IN.csv [--dry-run]
// Prints the counts and the added and changed rows; a dry run changes nothing.
int importMasterCommand(Context &ctx, const Arguments &args);

} // namespace pelanova::cli
