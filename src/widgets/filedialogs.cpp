#include "widgets/filedialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace pelanova {

std::vector<FileFilter> parseFileFilter(const QString &filter)
{
    std::vector<FileFilter> out;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        FileFilter f;
        f.description = parts[i];
        for (const QString &p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
            f.patterns << p.trimmed();
        out.push_back(f);
    }
    if (parts.size() % 2 == 1 && !parts.back().isEmpty())
        out.push_back({parts.back(), {parts.back()}});
    return out;
}

QStringList qtNameFilters(const QString &filter)
{
    // Qt reads patterns out of "description (patterns)" only when they are
    // plain ASCII; a pattern such as 銀行マスタ.mdb is therefore offered by
    // itself, which still lists exactly the matching files.
    const std::vector<FileFilter> filters = parseFileFilter(filter);
    QStringList names;
    for (const FileFilter &f : filters) {
        bool ascii = true;
        for (const QString &p : f.patterns) {
            for (const QChar c : p)
                ascii = ascii && c.unicode() < 128 && c != QLatin1Char('(') && c != QLatin1Char(')');
        }
        const QString joined = f.patterns.join(QLatin1Char(' '));
        if (!ascii)
            names << joined;
        else if (f.description.endsWith(QLatin1Char('(') + joined + QLatin1Char(')')))
            names << f.description;
        else
            names << f.description + QStringLiteral(" (") + joined + QLatin1Char(')');
    }
    return names;
}

namespace {

QString runDialog(QWidget *parent, QFileDialog::AcceptMode mode, const QString &caption, const QString &folder,
                  const QString &filter, const QString &fileName)
{
    QFileDialog dialog(parent, caption, folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (mode == QFileDialog::AcceptSave)
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true); // the callers ask themselves

    const QStringList names = qtNameFilters(filter);
    if (!names.isEmpty())
        dialog.setNameFilters(names);
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

} // namespace

QString QtFileDialogs::getOpenFileName(QWidget *parent, const QString &caption, const QString &folder,
                                       const QString &filter, const QString &fileName)
{
    return runDialog(parent, QFileDialog::AcceptOpen, caption, folder, filter, fileName);
}

QString QtFileDialogs::getSaveFileName(QWidget *parent, const QString &caption, const QString &folder,
                                       const QString &filter, const QString &fileName)
{
    return runDialog(parent, QFileDialog::AcceptSave, caption, folder, filter, fileName);
}

QString ScriptedFileDialogs::next(Kind kind, const QString &caption, const QString &folder, const QString &filter,
                                  const QString &fileName)
{
    m_calls.push_back({kind, caption, folder, filter, fileName});
    if (m_answers.empty())
        return {};
    QString path = m_answers.front();
    m_answers.pop_front();
    return path;
}

QString ScriptedFileDialogs::getOpenFileName(QWidget *, const QString &caption, const QString &folder,
                                             const QString &filter, const QString &fileName)
{
    return next(Kind::Open, caption, folder, filter, fileName);
}

QString ScriptedFileDialogs::getSaveFileName(QWidget *, const QString &caption, const QString &folder,
                                             const QString &filter, const QString &fileName)
{
    return next(Kind::Save, caption, folder, filter, fileName);
}

} // namespace pelanova
