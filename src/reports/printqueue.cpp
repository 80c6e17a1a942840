#include "reports/printqueue.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace pelanova {

QString printerProblem(const QString &printerName)
{
    // A fresh look each time: QPrinterInfo asks the print system anew.
    const QPrinterInfo printer = QPrinterInfo::printerInfo(printerName);
    if (printer.isNull()) {
        return QStringLiteral("プリンタ「%1」に接続できません．\n"
                              "印刷サービス（CUPS）が動いているか、プリンタが削除されていないかを確認してください．")
            .arg(printerName);
    }
    switch (printer.state()) {
    case QPrinter::Aborted:
    case QPrinter::Error:
        return QStringLiteral("プリンタ「%1」は停止しています．\n"
                              "プリンタを再開してから、もう一度印刷してください．")
            .arg(printerName);
    case QPrinter::Idle:
    case QPrinter::Active:
        break;
    }
    return {};
}

} // namespace pelanova
