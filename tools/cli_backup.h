#pragma once

#include "cliarguments.h"

namespace pelanova::cli {

// backup OUT: a copy of the own database as it is now (SQLite's online
// backup), written atomically.
int backupCommand(Context &ctx, const Arguments &args);

// restore IN: replaces the own database with IN when IN is a sound database
// of this program; the current one is backed up first. A refused restore
// changes nothing.
int restoreCommand(Context &ctx, const Arguments &args);

// copy-db FROM TO: every table of the own database FROM into TO (a file or a
// server's database, either engine), which must be empty; one transaction on
// TO, the row counts compared before it commits.
int copyDbCommand(Context &ctx, const Arguments &args);

} // namespace pelanova::cli
