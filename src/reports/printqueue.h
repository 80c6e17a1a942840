#pragma once

#include <QString>

namespace pelanova {

// Why a job sent to the printer now would not come out of it, in the words
// the user is shown; empty when the printer takes jobs. It is asked of the
// print system (CUPS) at the moment of printing: a queue can be stopped, or
// its server gone, while a preview is open, and Qt hands a job over without
// saying whether the print system took it.
QString printerProblem(const QString &printerName);

} // namespace pelanova
