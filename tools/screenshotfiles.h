#pragma once

// The transfer files pelanova-screenshots pictures the windows with: the
// demo head office's days in December, a file the bank would refuse, and
// their imports into the demo database.

#include <string>

namespace pelanova {
class TDM1;
}

namespace pelanova::screenshots {

// A header of the demo's head office for a day in December with the given account.
std::string headOfficeHeader(const char *mmdd, const char *account);

std::string transfer(const char *bank, const char *account, const char *name, const char *amount);

std::string trailerAndEnd(const char *countAndTotal);

// A facility's file with three faults the bank would refuse: the
// consignor's account, a letter in a bank code, a voiced mark after ｱ.
std::string faultyFile();

// 15 December: the head office's file holds a name in small kana and a
// transfer that the recipient's fee makes 0 yen.
void importNoteDay(TDM1 &dm, const std::string &folder);

// A file the branch office sends for 15 December after the head office's
// day was made.
void importLateFile(TDM1 &dm, const std::string &folder);

} // namespace pelanova::screenshots
