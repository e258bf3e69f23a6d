#pragma once

#include <QString>

namespace corvel::web {

// The support desk and the maker's site are fixed; the portal's address comes from Workers.ini.
inline const QString kSupportDesk = QStringLiteral("https://support.corvel-hr.com");
inline const QString kHowTo = kSupportDesk + QStringLiteral("/support/solutions");
inline const QString kSupport = kSupportDesk + QStringLiteral("/support/home");
inline const QString kMakerSite = QStringLiteral("https://www.corvel-hr.com/");

} // namespace corvel::web
