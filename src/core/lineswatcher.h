#pragma once

// Who is told of a change to the data the bank files are made of: an import
// or the deletion of one (a consignor and date), a recipient's fee category
// or a consignor's fee table (a consignor, every date). The change goes ahead
// whatever the watcher says; it only tells of bank files made before that
// the change has left behind.

#include <optional>
#include <utility>
#include <string>
#include <vector>

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

// Runs a change of several consignors' (and a date's) data between the
// watcher's before and after of each; without a watcher it only runs the
// change. A change that throws has changed nothing: after() is still called,
// to end the watch.
template <typename Change>
void changeWatched(LinesWatcher *watcher, const std::vector<std::string> &consignorCodes, std::optional<int> date,
                   Change &&change)
{
    if (!watcher) {
        change();
        return;
    }
    for (const std::string &code : consignorCodes)
        watcher->before(code, date);
    try {
        change();
    } catch (...) {
        for (const std::string &code : consignorCodes) {
            try {
                watcher->after(code, date);
            } catch (...) {
            }
        }
        throw;
    }
    for (const std::string &code : consignorCodes)
        watcher->after(code, date);
}

// The same for one consignor.
template <typename Change>
void changeWatched(LinesWatcher *watcher, const std::string &consignorCode, std::optional<int> date, Change &&change)
{
    changeWatched(watcher, std::vector<std::string>{consignorCode}, date, std::forward<Change>(change));
}

} // namespace pelanova
