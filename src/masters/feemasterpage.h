#pragma once

#include "core/lineswatcher.h"

#include "core/userinterface.h"
#include "widgets/guard.h"

#include <QString>
#include <QWidget>

#include <optional>
#include <string>
#include <utility>

namespace pelanova {

namespace sql {
class Database;
}

// One page of the fee master (振込手数料): it shows one consignor's data and
// detects unsaved edits by comparing the texts of its entries with a
// snapshot taken whenever the page counts as unedited (after a load, a save,
// a cancel, a page change). Its handlers run under the guard, showing their
// errors through the screen's message boxes.
class FeeMasterPage : public QWidget
{
public:
    // The title of the page's questions: the screen's caption.
    static constexpr const char *kCaption = "振込手数料";
    // Asked before unsaved edits are left behind (another line, page or
    // consignor).
    static constexpr const char *kAskSave = "データは変更されています。\n\r登録しますか？";

    FeeMasterPage(MessageBoxes &boxes, sql::Database &db, QWidget *parent);

    // Told before and after a save changes the consignor's fees (a bank file
    // made of the consignor's lines may be left behind); may be null.
    void setLinesWatcher(LinesWatcher *watcher) { m_watcher = watcher; }

    // Shows the consignor's data (nothing: no consignor is selected), with
    // no unsaved edits.
    virtual void load(const std::optional<std::string> &consignor) = 0;
    // Shows the data of the same consignor again.
    void reload() { load(m_consignor); }
    virtual void save() = 0;
    virtual void cancel() = 0;

    // The texts of the page's entries, concatenated.
    virtual QString snapshot() const = 0;
    virtual bool hasUnsavedEdits() const { return snapshot() != m_snapshot; }
    void takeSnapshot() { m_snapshot = snapshot(); }

    // Asks the question about the page's edits; on はい saves them.
    void askToSave(const char *question);
    // The same, only when the page has unsaved edits.
    void offerToSave(const char *question)
    {
        if (hasUnsavedEdits())
            askToSave(question);
    }

protected:
    // Asks before dropping the page's edits; true on はい.
    bool confirmCancel();

    template <typename Sender, typename Signal, typename Handler>
    QMetaObject::Connection on(Sender *sender, Signal signal, Handler handler)
    {
        return connectGuarded(this, m_boxes, sender, signal, std::move(handler));
    }

    MessageBoxes &m_boxes;
    sql::Database &m_db;
    LinesWatcher *m_watcher = nullptr;
    std::optional<std::string> m_consignor;
    QString m_snapshot;
};

} // namespace pelanova
