#pragma once

#include <cstdint>
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
