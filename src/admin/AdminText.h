#pragma once

#include <QString>

namespace corvel::admin {

// The message of the exception being handled; call only from inside a catch block.
QString currentErrorMessage();

} // namespace corvel::admin
