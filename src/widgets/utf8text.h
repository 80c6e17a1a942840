#pragma once

#include <QString>

#include <string>

namespace pelanova {

// Core keeps text as UTF-8; the screens and reports show it as QString.
inline QString q(const std::string &utf8) { return QString::fromStdString(utf8); }
inline std::string utf8(const QString &text) { return text.toStdString(); }

} // namespace pelanova
