#pragma once

#include "cliarguments.h"

namespace pelanova::cli {

// lines --date YYYYMMDD --consignor CODE [--facility KEY]: the aggregated
// transfer lines as TSV (the eight fields of each line), then TOTAL, count, sum.
int linesCommand(Context &ctx, const Arguments &args);

// write-file --date YYYYMMDD --consignor CODE [--force] [--again] FILE: the
// merged transfer file of all facilities, recorded. An existing FILE is kept
// unless --force; a consignor and date made before is refused unless --again.
// The Zengin check's findings go to stderr as TSV lines; with an error
// nothing is written.
int writeFileCommand(Context &ctx, const Arguments &args);

// history [--consignor CODE] [--date YYYYMMDD]: the bank files made, newest
// first, one a line as TSV (created, consignor, date, records, total, sha256,
// user, path, state).
int historyCommand(Context &ctx, const Arguments &args);

// verify FILE: names the recorded bank file with FILE's bytes; exit 0 only
// when it is the newest of its consignor and date and the data still gives
// the same lines, else 1 with the reason.
int verifyCommand(Context &ctx, const Arguments &args);

} // namespace pelanova::cli
