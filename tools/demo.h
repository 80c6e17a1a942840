#pragma once

#include <string>
#include <vector>

namespace pelanova {
class ImportEngine;
class TDM1;
} // namespace pelanova

namespace pelanova::demo {

// Made-up transfer files of three facilities, written as facilities' own
// software writes them (text left-aligned in its field), from the record
// layouts; banks and branches are real ones of the public bank code list.
struct TransferFile
{
    std::string name;  // e.g. HONSHA_1110.txt
    int facility = 0;
    int requestDate = 0;
    std::string bytes;
};

struct Facility
{
    int code;
    const char *name;
    const char *filePrefix; // 総合振込データファイル名
};

const std::vector<Facility> &facilities();

// A month of files, a few dozen transfers each, on four transfer request dates.
std::vector<TransferFile> monthFiles();
// One file per facility for the next date, kept in samples/ to try the import with.
std::vector<TransferFile> sampleFiles();

struct Summary
{
    int imports = 0;
    int transfers = 0;
};

// Fills the data module's own database (with the system's tables and no
// data): the facilities, the month's imports through the import engine with
// the bank master that dm has connected, and fee categories of both kinds.
// Throws on a failed import.
Summary fillDemoDatabase(TDM1 &dm);

} // namespace pelanova::demo
