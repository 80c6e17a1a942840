#pragma once

#include "core/datamodule.h"
#include "core/lineswatcher.h"
#include "core/sql.h"
#include "core/userinterface.h"

#include <memory>
#include <string>

namespace pelanova {
class ImportEngine;
}

namespace pelanova::cli {

// Message boxes on the console: errors on stderr, everything else on stdout.
// Questions take their default button (the tool runs unattended).
class ConsoleMessageBoxes : public MessageBoxes
{
public:
    int messageBox(const std::string &text, const std::string &title, MessageIcon icon,
                   MessageButtons buttons, int defaultButton) override;
};

// What one command works with; opened on first use.
class Context
{
public:
    Context(std::string dbPath, std::string iniPath);
    ~Context();

    // The data module on --ini and --db, created on first use (init-db needs none).
    TDM1 &dataModule();
    sql::Database &ownDatabase();
    // The own database alone, checked as the start-up checks it, for the
    // commands that only read it: no settings, no bank master. The data
    // module's connection when the command has made it.
    const sql::Database &readDatabase();
    ImportEngine &importEngine();
    // The record of bank files, told of the commands' changes (stderr).
    LinesWatcher &linesWatcher();
    MessageBoxes &messageBoxes() { return m_boxes; }

    const std::string dbPath;
    const std::string iniPath;

private:
    ConsoleMessageBoxes m_boxes;
    std::unique_ptr<TDM1> m_dm;
    sql::Database m_read;
    SilentProgress m_progress;
    std::unique_ptr<LinesWatcher> m_watcher;
    std::unique_ptr<ImportEngine> m_engine;
};

} // namespace pelanova::cli
