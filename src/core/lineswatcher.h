#pragma once

// Who is told of a change to the data the bank files are made of: an import
// or the deletion of one (a consignor and date), a recipient's fee category
// or a consignor's fee table (a consignor, every date). The change goes ahead
// whatever the watcher says; it only tells of bank files made before that
// the change has left behind.

#include <optional>
#include <string>

namespace pelanova {

class LinesWatcher
{
public:
    virtual ~LinesWatcher() = default;
    // Before the change, on the data as it stands.
    virtual void before(const std::string &consignorCode, std::optional<int> date) = 0;
    // After it is committed (or rolled back: then nothing changed).
    virtual void after(const std::string &consignorCode, std::optional<int> date) = 0;
};

// Runs a change of a consignor's (and a date's) data between the watcher's
// before and after; without a watcher it only runs the change. A change that
// throws has changed nothing: after() is still called, to end the watch.
template <typename Change>
void changeWatched(LinesWatcher *watcher, const std::string &consignorCode, std::optional<int> date, Change &&change)
{
    if (!watcher) {
        change();
        return;
    }
    watcher->before(consignorCode, date);
    try {
        change();
    } catch (...) {
        try {
            watcher->after(consignorCode, date);
        } catch (...) {
        }
        throw;
    }
    watcher->after(consignorCode, date);
}

} // namespace pelanova
