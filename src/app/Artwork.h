#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The pictures compiled into the launcher. Each "<name>.<suffix>" has a double-size copy
// "<name>@2x.<suffix>" for high-density screens, and the square ones shown at every start have
// their pixels as well: "<name>.argb32" (premultiplied), or "<name>.rgb32" for opaque ones. Left
// uncompressed, those are shown from the executable's memory, with no decoding and no copy.
// Pictures are read strictly as the format their suffix names: left to guess, Qt asks every image
// plugin whether it can read a picture before its own PNG reader, and loads them all.
namespace corvel::artwork {

// The picture at its own size, or its double-size copy on a high-density screen.
QPixmap pixmap(const QString &path);
// The picture, with its double-size copy on a high-density screen.
QIcon icon(const QString &path);

} // namespace corvel::artwork
