#pragma once

// The masters screens' export and import of master files: the file dialogs,
// the questions, the preview of an import and its messages.

#include "masters/masterfiles.h"

#include <QString>

#include <functional>

class QDialog;
class QWidget;

namespace pelanova {

struct ScreenContext;

// Asks where (CSV or Excel) and writes the master there. Refusals and
// failures are said in a box; returns whether a file was written.
bool exportMasterFile(ScreenContext &context, QWidget *parent, masters::MasterKind kind);

// Asks for a CSV file, plans its import, shows the preview (run by
// execDialog) and applies it on はい. Returns whether the master changed.
bool importMasterFile(ScreenContext &context, QWidget *parent, masters::MasterKind kind,
                      const std::function<int(QDialog &)> &execDialog);

} // namespace pelanova
