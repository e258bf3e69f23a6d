#pragma once

#include <QString>

namespace corvel {

// Text as the launcher reads it from an edit box: without characters of code 32 or below at
// either end, so blanks, tabs and line breaks go too.
QString trimmedText(const QString &text);

} // namespace corvel
