#pragma once

// The recipient list (振込先印刷): every registered recipient of every
// consignor, by name, with the amount from which the recipient bears the fee.

#include "reports/report.h"
#include "reports/reportdataset.h"

#include <QPointer>

class QWidget;

namespace pelanova {

class MessageBoxes;
class TBaseLRep;

class TrptFurikomisakiPrint : public Report
{
public:
    // The date field shows the day the report is created.
    explicit TrptFurikomisakiPrint(const sql::Database &db);

    // Sets the query anew, so that the next run shows the master as it is now.
    void setUp();

private:
    SqlDataSet sqlFurikomisaki;
};

// Sets the list up and shows it in its preview window, created on the first
// call and reused while it stays open.
void ShowRecipientList(QPointer<TBaseLRep> &window, MessageBoxes &boxes, const sql::Database &db,
                       QWidget *parent = nullptr);

} // namespace pelanova
