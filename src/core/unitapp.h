#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "core/userinterface.h"

namespace pelanova {

// The general message boxes, all titled kAppTitle.
void ErrorMsg(MessageBoxes &boxes, const std::string &text);
// Yes/No with the question icon; defaultButton is kDefaultButton1 or 2.
// Returns IdYes or IdNo.
int YesNoMsg(MessageBoxes &boxes, const std::string &text, int defaultButton);
// Yes/No/Cancel with the question icon. Returns IdYes, IdNo or IdCancel.
int YesNoCancelMsg(MessageBoxes &boxes, const std::string &text, int defaultButton);

// The text a message box shows for an error that ended an operation. The
// database in use by another connection reads as busyDatabaseText(); a
// database error of another common cause (the disk full, the file read-only,
// not a database or damaged, a file that cannot be opened) reads as a
// Japanese sentence, with the database engine's
// own text on a second line ("\n\r") for support; any other error shows its
// own text.
std::string ErrorText(const std::exception &error);
// The one sentence for a database that another connection held too long.
std::string busyDatabaseText();

// Size in bytes of the file at path; 0 when there is no such file (or the
// path names a folder).
int64_t FileSizeByName(const std::string &path);

// Field `index` (from 0) of text split at delimiter, trimmed of blanks and
// control characters at both ends (a full-width space stays); empty when the
// text has fewer fields. Fields are split as in the Shift-JIS form of the
// text: a delimiter byte that is the second byte of a double-byte character
// (ポ is 83 7C) does not split.
std::string GetToken(char delimiter, int index, const std::string &text);

} // namespace pelanova
