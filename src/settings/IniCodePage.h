#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// The workstation's 8-bit code page, the text of settings files without a byte-order mark (on
// Windows every such file, elsewhere those that are not UTF-8): the system ANSI code page on
// Windows, as its profile functions use, and Windows-1252 elsewhere.
namespace corvel::inicodepage {

QString decode(QByteArrayView bytes);
// Empty when the text holds a character the code page cannot store.
std::optional<QByteArray> encode(const QString &text);

} // namespace corvel::inicodepage
