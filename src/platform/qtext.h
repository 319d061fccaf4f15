#pragma once
// Texts between the program (UTF-8 std::string) and Qt (QString).
#include <QString>

#include <string>
#include <string_view>

namespace meru::platform {

inline QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
inline std::string ss(const QString& s) { return s.toStdString(); }

} // namespace meru::platform
