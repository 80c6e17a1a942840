#include "core/accessfile.h"

// mdbtools' header opens an extern "C" block around its own #include of
// <glib.h>; glib's C++ parts must therefore be seen first.
#include <glib.h>
#include <mdbtools.h>

#include <cstring>
#include <fstream>
#include <memory>

namespace pelanova::access {
namespace {

struct HandleCloser
{
    void operator()(MdbHandle *mdb) const { mdb_close(mdb); }
};
struct TableFreer
{
    void operator()(MdbTableDef *table) const { mdb_free_tabledef(table); }
};

ColumnKind kindOf(int type)
{
    switch (type) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
        return ColumnKind::Integer;
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_MONEY:
    case MDB_NUMERIC:
        return ColumnKind::Real;
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_DATETIME:
    case MDB_REPID:
        return ColumnKind::Text;
    default:
        return ColumnKind::Other; // OLE objects, binary, attachments
    }
}

// Text comes out as UTF-8 whatever the environment says; Jet 3 files, which
// do not record their code page, are read as Japanese Windows wrote them.
void readTextAsUtf8(MdbHandle *mdb)
{
    mdb_iconv_close(mdb);
    const char *stored = IS_JET3(mdb) ? "CP932" : "UCS-2LE";
    mdb->iconv_in = iconv_open("UTF-8", stored);
    mdb->iconv_out = iconv_open(stored, "UTF-8");
    if (mdb->iconv_in == reinterpret_cast<iconv_t>(-1) || mdb->iconv_out == reinterpret_cast<iconv_t>(-1))
        throw Error(std::string("no text conversion from ") + stored);
}

} // namespace

bool isAccessDatabase(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    char head[0x15] = {};
    if (!in.read(head, sizeof head))
        return false;
    static const char start[4] = {0x00, 0x01, 0x00, 0x00};
    if (std::memcmp(head, start, sizeof start) != 0)
        return false;
    // "Standard Jet DB" (Jet 3 and 4) or "Standard ACE DB" (2007 on), NUL-ended.
    return (std::memcmp(head + 4, "Standard Jet DB", 16) == 0 || std::memcmp(head + 4, "Standard ACE DB", 16) == 0)
        && static_cast<unsigned char>(head[0x14]) <= MDB_VER_ACCDB_2019;
}

Table readTable(const std::string &path, const std::string &tableName)
{
    if (!isAccessDatabase(path))
        throw Error(path + ": not an Access database");
    std::unique_ptr<MdbHandle, HandleCloser> mdb(mdb_open(path.c_str(), MDB_NOFLAGS));
    if (!mdb)
        throw Error(path + ": cannot be opened as an Access database");
    readTextAsUtf8(mdb.get());
    mdb_set_date_fmt(mdb.get(), "%Y-%m-%d %H:%M:%S");
    if (!mdb_read_catalog(mdb.get(), MDB_TABLE))
        throw Error(path + ": the table list cannot be read");
    std::unique_ptr<MdbTableDef, TableFreer> table(
        mdb_read_table_by_name(mdb.get(), const_cast<gchar *>(tableName.c_str()), MDB_TABLE));
    if (!table)
        throw Error(path + ": no table " + tableName);
    if (!mdb_read_columns(table.get()))
        throw Error(path + ": the columns of " + tableName + " cannot be read");

    Table result;
    const unsigned columns = table->num_cols;
    std::vector<MdbColumn *> cols(columns);
    // mdbtools writes up to its bind size into each bound buffer, plus the NUL.
    std::vector<std::vector<char>> buffers(columns);
    std::vector<int> lengths(columns, 0);
    for (unsigned i = 0; i < columns; ++i) {
        cols[i] = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
        result.columns.push_back({cols[i]->name, kindOf(cols[i]->col_type)});
        if (result.columns.back().kind == ColumnKind::Other)
            continue;
        buffers[i].assign(mdb->bind_size + 1, '\0');
        mdb_bind_column(table.get(), static_cast<int>(i + 1), buffers[i].data(), &lengths[i]);
    }
    mdb_rewind_table(table.get());
    while (mdb_fetch_row(table.get())) {
        auto &row = result.rows.emplace_back(columns);
        for (unsigned i = 0; i < columns; ++i) {
            if (result.columns[i].kind == ColumnKind::Other)
                continue;
            // A yes/no column keeps its value in the null mask: it is never null.
            // Otherwise mdbtools gives no value length for NULL (and for an empty text).
            if (cols[i]->col_type != MDB_BOOL && cols[i]->cur_value_len == 0)
                continue;
            row[i] = std::string(buffers[i].data(), static_cast<size_t>(lengths[i]));
        }
    }
    return result;
}

} // namespace pelanova::access
