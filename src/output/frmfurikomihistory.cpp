#include "output/frmfurikomihistory.h"

#include "core/datamodule.h"
#include "core/format.h"
#include "output/filehistory.h"
#include "shell/screencontext.h"
#include "widgets/busyscope.h"
#include "widgets/guard.h"
#include "widgets/stripedgrid.h"
#include "widgets/utf8text.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace pelanova {

TfrmFurikomiHistory::TfrmFurikomiHistory(ScreenContext &context, QWidget *parent)
    : QDialog(parent), m_context(context)
{
    setWindowTitle(QString::fromUtf8(kTitle));
    resize(960, 420);
    auto *layout = new QVBoxLayout(this);
    lblItakusya = new QLabel(this);
    layout->addWidget(lblItakusya);

    GridList = new StripedGrid(this);
    GridList->setColumns({
        {QStringLiteral("振込依頼日"), 90, Qt::AlignLeft, false},
        {QStringLiteral("作成日時"), 140, Qt::AlignLeft, false},
        {QStringLiteral("作成者"), 80, Qt::AlignLeft, false},
        {QStringLiteral("件数"), 50, Qt::AlignRight, false},
        {QStringLiteral("合計金額"), 100, Qt::AlignRight, false},
        {QStringLiteral("ファイル"), 340, Qt::AlignLeft, false},
        {QStringLiteral("状態"), 110, Qt::AlignLeft, false},
    });
    GridList->setLineHeight(20);
    GridList->setEmptyText(QStringLiteral("この委託者の振込データはまだ作成されていません。"));
    layout->addWidget(GridList, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnClose = new QPushButton(QStringLiteral("閉じる"), this);
    btnClose->setAutoDefault(false);
    buttons->addWidget(btnClose);
    layout->addLayout(buttons);
    connectGuarded(this, m_context.messages, btnClose, &QPushButton::clicked, [this] { close(); });
}

void TfrmFurikomiHistory::ShowForConsignor(const std::string &consignorCode, const std::string &consignorName)
{
    lblItakusya->setText(QStringLiteral("委託者 %1 %2").arg(q(consignorCode), q(consignorName)));
    {
        const BusyScope busy(GridList);
        GridList->clearLines();
        const sql::Database &db = m_context.dm.ADOConFurikomi;
        for (const output::CreatedFile &file : output::createdFiles(db, consignorCode)) {
            const output::RecordState state = output::recordState(db, file);
            const int line = GridList->addLine({
                q(formatShortDate(file.date)),
                q(file.created),
                q(file.user),
                QString::number(file.records),
                q(formatGrouped(file.total)),
                q(file.path),
                q(output::recordStateText(state)),
            });
            (void)line;
        }
    }
    execDialog(*this);
}

} // namespace pelanova
