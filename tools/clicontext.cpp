#include "clicontext.h"

#include "import/importengine.h"
#include "output/filehistory.h"

#include <stdexcept>

#include <iostream>

namespace pelanova::cli {

int ConsoleMessageBoxes::messageBox(const std::string &text, const std::string &, MessageIcon icon,
                                    MessageButtons buttons, int defaultButton)
{
    std::ostream &out = icon == MessageIcon::Error || icon == MessageIcon::Warning ? std::cerr : std::cout;
    out << displayText(text) << '\n';
    return defaultButtonResult(buttons, defaultButton);
}

Context::Context(std::string db, std::string ini)
    : dbPath(std::move(db)), iniPath(std::move(ini))
{
}

Context::~Context() = default;

TDM1 &Context::dataModule()
{
    if (!m_dm)
        m_dm = std::make_unique<TDM1>(iniPath, dbPath, &m_boxes);
    return *m_dm;
}

namespace {

std::runtime_error connectionFailure(const std::string &problem, const std::string &location)
{
    return std::runtime_error("データベースの接続に失敗しました。\n\r" + problem + "\n\r" + location);
}

} // namespace

sql::Database &Context::ownDatabase()
{
    sql::Database &own = dataModule().ADOConFurikomi;
    if (!own.isOpen())
        throw connectionFailure(dataModule().ownDatabaseProblem(), dbPath);
    return own;
}

const sql::Database &Context::readDatabase()
{
    if (m_dm)
        return ownDatabase();
    if (!m_read.isOpen()) {
        const std::string problem = openOwnDatabase(m_read, dbPath);
        if (!m_read.isOpen())
            throw connectionFailure(problem, dbPath);
    }
    return m_read;
}

ImportEngine &Context::importEngine()
{
    if (!m_engine) {
        ownDatabase(); // a closed database is refused before the engine prepares on it
        m_engine = makeImportEngine(dataModule(), m_boxes, m_progress, &linesWatcher());
    }
    return *m_engine;
}

LinesWatcher &Context::linesWatcher()
{
    if (!m_watcher)
        m_watcher = std::make_unique<output::StaleFileWatcher>(ownDatabase(), m_boxes);
    return *m_watcher;
}

} // namespace pelanova::cli
