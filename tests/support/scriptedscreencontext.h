#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/datamodule.h"
#include "core/schema.h"
#include "core/sql.h"
#include "shell/formcarender.h"
#include "shell/screencontext.h"
#include "support/scriptedmessageboxes.h"
#include "support/tempdir.h"
#include "support/testdatabase.h"
#include "widgets/filedialogs.h"

namespace pelanova::test {

// The context of a screen under test without the main window: its message
// boxes, file dialogs and calendar are scripted, and the ids of the screens it
// asks to show are recorded. It works on the caller's data module, or on one
// of its own: a fresh own database with the system's tables beside a settings
// file in a temporary folder, opened at the first use so that a test can put
// its rows and settings in first.
class ScriptedScreenContext
{
public:
    ScriptedScreenContext()
        : m_folder(std::make_unique<TempDir>()), m_location(ownDatabaseLocation(m_folder->file("FBDB.db")))
    {
        sql::Database db;
        db.open(dbPath(), sql::Database::Mode::Create);
        schema::createOwnDatabase(db);
    }
    explicit ScriptedScreenContext(TDM1 &dm) : m_dm(&dm) {}
    ScriptedScreenContext(const ScriptedScreenContext &) = delete;
    ScriptedScreenContext &operator=(const ScriptedScreenContext &) = delete;

    ScreenContext &context()
    {
        if (!m_context) {
            m_context.emplace(ScreenContext{dm(), boxes, files, dates,
                                            [this](uint8_t id) { shownScreens.push_back(id); },
                                            [](uint8_t) { return true; }});
        }
        return *m_context;
    }

    TDM1 &dm()
    {
        if (!m_dm) {
            m_ownDm = std::make_unique<TDM1>(iniPath(), dbPath(), &boxes);
            m_dm = m_ownDm.get();
        }
        return *m_dm;
    }

    // The own data module's folder and files.
    const TempDir &folder() const { return *m_folder; }
    // The own database: a file in the folder, or a schema on the test server.
    std::string dbPath() const { return m_location; }
    std::string iniPath() const { return m_folder->file("pelanova.ini"); }

    ScriptedMessageBoxes boxes;
    ScriptedFileDialogs files;
    ScriptedDatePicker dates;
    std::vector<uint8_t> shownScreens;

private:
    std::unique_ptr<TempDir> m_folder;
    std::string m_location;
    TDM1 *m_dm = nullptr;
    std::unique_ptr<TDM1> m_ownDm;
    std::optional<ScreenContext> m_context;
};

} // namespace pelanova::test
