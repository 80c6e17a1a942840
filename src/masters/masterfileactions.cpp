#include "masters/masterfileactions.h"

#include "core/datamodule.h"
#include "core/replacefile.h"
#include "core/unitapp.h"
#include "masters/masterimportdialog.h"
#include "shell/screencontext.h"
#include "widgets/filedialogs.h"
#include "widgets/utf8text.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace pelanova {
namespace {

const QString kCsvFilter = QStringLiteral("CSV ファイル（Shift-JIS）(*.csv)");
const QString kXlsxFilter = QStringLiteral("Excel ブック(*.xlsx)");

void inform(ScreenContext &context, const std::string &text)
{
    context.messages.messageBox(text, kAppTitle, MessageIcon::Information, MessageButtons::Ok, kDefaultButton1);
}

} // namespace

bool exportMasterFile(ScreenContext &context, QWidget *parent, masters::MasterKind kind)
{
    QString chosenFilter;
    const QString filter = kCsvFilter + QStringLiteral("|*.csv|") + kXlsxFilter + QStringLiteral("|*.xlsx");
    QString path = context.files.getSaveFileName(parent, QStringLiteral("エクスポート"), QDir::homePath(), filter,
                                                 q(masters::sheetName(kind)) + QStringLiteral(".csv"), &chosenFilter);
    if (path.isEmpty())
        return false;
    // A name without the form's extension takes the one of the filter chosen.
    if (!masters::fileFormOf(utf8(path)))
        path += chosenFilter == kXlsxFilter ? QStringLiteral(".xlsx") : QStringLiteral(".csv");
    if (QFileInfo::exists(path)
        && YesNoMsg(context.messages, utf8(path) + "\n\rはすでにあります。上書きしますか？", kDefaultButton2) != IdYes)
        return false;
    try {
        masters::exportMaster(context.dm.ADOConFurikomi, kind, utf8(path));
    } catch (const masters::MasterFileError &error) {
        ErrorMsg(context.messages, error.what());
        return false;
    } catch (const FileWriteError &error) {
        ErrorMsg(context.messages, error.what());
        return false;
    }
    inform(context, masters::sheetName(kind) + "を書き出しました。\n\r" + utf8(path));
    return true;
}

bool importMasterFile(ScreenContext &context, QWidget *parent, masters::MasterKind kind,
                      const std::function<int(QDialog &)> &execDialog)
{
    const QString path = context.files.getOpenFileName(parent, QStringLiteral("インポート"), QDir::homePath(),
                                                       kCsvFilter + QStringLiteral("|*.csv"));
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ErrorMsg(context.messages, "ファイルを開けませんでした。\n\r" + utf8(path));
        return false;
    }
    const QByteArray bytes = file.readAll();
    TDM1 &dm = context.dm;
    masters::ImportPlan plan;
    try {
        plan = masters::planImport(dm.ADOConFurikomi, kind, bytes.toStdString(),
                                   {dm.ReadTesuuryouKubun(), dm.ReadTesuuryouKingaku()});
    } catch (const masters::MasterFileError &error) {
        ErrorMsg(context.messages, error.what());
        return false;
    }
    if (!plan.changesAnything()) {
        inform(context, "変更する行はありません。\n\r" + plan.countsText());
        return false;
    }
    TfrmMasterImport preview(plan, path, parent);
    if (execDialog(preview) != QDialog::Accepted)
        return false;
    try {
        masters::applyImport(dm.ADOConFurikomi, plan, [&dm] { dm.BackupNow(); }, context.linesWatcher);
    } catch (const masters::MasterFileError &error) {
        ErrorMsg(context.messages, error.what());
        return false;
    }
    inform(context, masters::sheetName(kind) + "を取り込みました。\n\r" + plan.countsText());
    return true;
}

} // namespace pelanova
