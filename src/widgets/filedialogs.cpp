#include "widgets/filedialogs.h"
#include "widgets/dialogtexts.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLocale>
#include <QRegularExpression>
#include <QSortFilterProxyModel>
#include <QTreeView>

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

namespace {

// Lists the folders and the files whose names match one of the chosen
// filter's patterns, without regard to case. Qt's own filter parsing takes
// only ASCII patterns out of "description (patterns)" and splits them at
// blanks, so the dialog is told to show everything and this model picks.
class PatternFilter : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setPatterns(const QStringList &patterns)
    {
        m_patterns.clear();
        for (const QString &p : patterns)
            m_patterns << QRegularExpression(QRegularExpression::wildcardToRegularExpression(p),
                                             QRegularExpression::CaseInsensitiveOption);
        invalidateFilter();
    }

    // Sizes and dates in the application's (Japanese) locale; Qt's model
    // writes them in the locale of the environment the program started in.
    QVariant data(const QModelIndex &index, int role) const override
    {
        const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (files && role == Qt::DisplayRole && index.column() >= 1 && index.column() <= 3) {
            const QModelIndex source = mapToSource(index);
            if (index.column() == 3)
                return QLocale().toString(files->lastModified(source), QStringLiteral("yyyy/MM/dd HH:mm"));
            // Qt names kinds of files in English (Folder, txt File) or by the
            // system's long descriptions.
            if (index.column() == 2) {
                if (files->isDir(source))
                    return QStringLiteral("フォルダ");
                const QString suffix = files->fileInfo(source).suffix().toUpper();
                return suffix.isEmpty() ? QStringLiteral("ファイル") : suffix + QStringLiteral(" ファイル");
            }
            if (!files->isDir(source))
                return QLocale().formattedDataSize(files->size(source));
        }
        return QSortFilterProxyModel::data(index, role);
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex &parent) const override
    {
        const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
        const QModelIndex index = sourceModel()->index(row, 0, parent);
        if (!files || files->isDir(index) || m_patterns.isEmpty())
            return true;
        const QString name = files->fileName(index);
        for (const QRegularExpression &pattern : m_patterns) {
            if (pattern.match(name).hasMatch())
                return true;
        }
        return false;
    }

private:
    QList<QRegularExpression> m_patterns;
};

QString runDialog(QWidget *parent, QFileDialog::AcceptMode mode, const QString &caption, const QString &folder,
                  const QString &filter, const QString &fileName, QString *selectedFilter = nullptr)
{
    QFileDialog dialog(parent, caption, folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (mode == QFileDialog::AcceptSave)
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true); // the callers ask themselves

    const std::vector<FileFilter> filters = parseFileFilter(filter);
    if (!filters.empty()) {
        auto *matching = new PatternFilter(&dialog);
        dialog.setProxyModel(matching);
        // Each description is shown as given; "(*)" only keeps Qt from
        // reading patterns out of it and is not shown.
        QStringList names;
        for (const FileFilter &f : filters)
            names << f.description + QStringLiteral(" (*)");
        dialog.setOption(QFileDialog::HideNameFilterDetails, true);
        dialog.setNameFilters(names);
        QObject::connect(&dialog, &QFileDialog::filterSelected, matching, [&, matching](const QString &name) {
            for (size_t i = 0; i < filters.size(); ++i) {
                if (name == names[qsizetype(i)] || name == filters[i].description)
                    matching->setPatterns(filters[i].patterns);
            }
        });
        matching->setPatterns(filters.front().patterns);
    }
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
    dialog.setViewMode(QFileDialog::Detail);
    dialog.resize(720, 440);
    // The date and the kind are read whole: their columns take their width.
    if (auto *view = dialog.findChild<QTreeView *>(QStringLiteral("treeView"))) {
        view->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
        view->header()->setSectionResizeMode(3, QHeaderView::ResizeToContents);
    }
    japaneseDialogTexts(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    if (selectedFilter) {
        const QString chosen = dialog.selectedNameFilter();
        for (const FileFilter &f : filters) {
            if (chosen == f.description || chosen == f.description + QStringLiteral(" (*)"))
                *selectedFilter = f.description;
        }
    }
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

} // namespace

QString QtFileDialogs::getOpenFileName(QWidget *parent, const QString &caption, const QString &folder,
                                       const QString &filter, const QString &fileName)
{
    return runDialog(parent, QFileDialog::AcceptOpen, caption, folder, filter, fileName);
}

QString QtFileDialogs::getSaveFileName(QWidget *parent, const QString &caption, const QString &folder,
                                       const QString &filter, const QString &fileName, QString *selectedFilter)
{
    return runDialog(parent, QFileDialog::AcceptSave, caption, folder, filter, fileName, selectedFilter);
}

QString ScriptedFileDialogs::next(Kind kind, const QString &caption, const QString &folder, const QString &filter,
                                  const QString &fileName, QString *selectedFilter)
{
    m_calls.push_back({kind, caption, folder, filter, fileName});
    if (m_answers.empty())
        return {};
    auto [path, chosen] = m_answers.front();
    m_answers.pop_front();
    if (selectedFilter)
        *selectedFilter = chosen;
    return path;
}

QString ScriptedFileDialogs::getOpenFileName(QWidget *, const QString &caption, const QString &folder,
                                             const QString &filter, const QString &fileName)
{
    return next(Kind::Open, caption, folder, filter, fileName);
}

QString ScriptedFileDialogs::getSaveFileName(QWidget *, const QString &caption, const QString &folder,
                                             const QString &filter, const QString &fileName, QString *selectedFilter)
{
    return next(Kind::Save, caption, folder, filter, fileName, selectedFilter);
}

} // namespace pelanova
