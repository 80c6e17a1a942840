#pragma once

#include "cliarguments.h"

namespace pelanova::cli {

// report request|fees --date YYYYMMDD --consignor CODE [--facility KEY] OUT.pdf
// report recipients OUT.pdf
// The pages printing from the preview window gives, as a PDF written
// atomically; runs without a display.
int reportCommand(Context &ctx, const Arguments &args);

} // namespace pelanova::cli
