#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <utility>
#include <vector>

class QWidget;

namespace pelanova {

// Open-file and save-file dialogs. The filter is written as the screens give
// it: pairs of description and pattern separated by "|"
// ("振込データ(FB*.txt)|FB*.txt"); several patterns in one pair are separated
// by ";". Each call returns the chosen full path, or an empty text when the
// user cancels; a save dialog also tells the description of the filter
// chosen, when asked (selectedFilter).
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    virtual QString getOpenFileName(QWidget *parent, const QString &caption, const QString &folder,
                                    const QString &filter, const QString &fileName = QString()) = 0;
    virtual QString getSaveFileName(QWidget *parent, const QString &caption, const QString &folder,
                                    const QString &filter, const QString &fileName = QString(),
                                    QString *selectedFilter = nullptr) = 0;
};

struct FileFilter
{
    QString description;
    QStringList patterns;
};
// Splits "desc|pattern|desc|pattern" into its pairs.
std::vector<FileFilter> parseFileFilter(const QString &filter);

// Qt's own (not the desktop's native) file dialog. Each filter's description
// is shown as given ("銀行データ", "振込データ(FB*.txt)"); its patterns, ASCII
// or not, match file names without regard to case, as file names do on the
// systems the files come from.
class QtFileDialogs : public FileDialogs
{
public:
    QString getOpenFileName(QWidget *parent, const QString &caption, const QString &folder,
                            const QString &filter, const QString &fileName = QString()) override;
    QString getSaveFileName(QWidget *parent, const QString &caption, const QString &folder,
                            const QString &filter, const QString &fileName = QString(),
                            QString *selectedFilter = nullptr) override;
};

// File dialogs for tests: every call is recorded and answered from the queue;
// with no answer left the dialog counts as cancelled.
class ScriptedFileDialogs : public FileDialogs
{
public:
    enum class Kind { Open, Save };
    struct Call
    {
        Kind kind;
        QString caption;
        QString folder;
        QString filter;
        QString fileName;
    };

    // An empty path answers as a cancel; a save dialog reports the filter
    // given (its description), or none.
    void answer(const QString &path, const QString &filter = QString()) { m_answers.push_back({path, filter}); }
    QString getOpenFileName(QWidget *parent, const QString &caption, const QString &folder,
                            const QString &filter, const QString &fileName = QString()) override;
    QString getSaveFileName(QWidget *parent, const QString &caption, const QString &folder,
                            const QString &filter, const QString &fileName = QString(),
                            QString *selectedFilter = nullptr) override;

    const std::vector<Call> &calls() const { return m_calls; }
    size_t answersLeft() const { return m_answers.size(); }

private:
    QString next(Kind kind, const QString &caption, const QString &folder, const QString &filter,
                 const QString &fileName, QString *selectedFilter = nullptr);

    std::deque<std::pair<QString, QString>> m_answers;
    std::vector<Call> m_calls;
};

} // namespace pelanova
