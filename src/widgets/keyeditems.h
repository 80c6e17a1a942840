#pragma once

#include <QString>

namespace pelanova {

// A selection list item is one text: a key, a TAB and the shown part
// ("0001\t東京"). Field 0 is the key, field 1 the shown part; fields are
// taken as GetToken takes them (trimmed; a missing field is empty).
QString itemToken(const QString &item, int index);

// Shown text of an item for the lists that show only the part after the key.
QString itemTextAfterTab(const QString &item);
// Shown text with the first TAB replaced by a vertical bar ("0001|東京").
QString itemTextTabAsBar(const QString &item);

} // namespace pelanova
