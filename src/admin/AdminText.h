#pragma once

#include <QString>

namespace corvel::admin {

// An edit box's text as the launcher reads it: without characters of code 32 or below at either
// end, so tabs and line breaks go too.
QString trimmedText(const QString &text);

// The message of the exception being handled; call only from inside a catch block.
QString currentErrorMessage();

} // namespace corvel::admin
