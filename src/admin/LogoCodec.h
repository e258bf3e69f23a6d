#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace corvel {

// The PNG logos of the reporting assets row. Decoding refuses pictures above kMaxLogoSide pixels
// in either direction before any pixel is read, so a hostile file cannot exhaust memory.
namespace logocodec {

// Qt refuses to allocate more than 128 MiB for one picture, which a PNG of 16 bits a channel with
// alpha (8 bytes a pixel) reaches at 4096 x 4096: any PNG within this limit decodes.
inline constexpr int kMaxLogoSide = 4096;
// What an empty logo is stored as: the PNG signature with no chunks.
inline const QByteArray kPngSignature = QByteArrayLiteral("\x89PNG\r\n\x1a\n");

// Decodes a stored column value, skipping the 8-byte length prefix some writers put in front.
// Throws Error when the value is not a PNG picture.
QImage decodeStored(const QByteArray &value);
// Throws Error when the file cannot be read or is not a PNG picture.
QImage readFile(const QString &path);
// A fresh PNG encoding; a null image gives the signature alone.
QByteArray encode(const QImage &image);

} // namespace logocodec
} // namespace corvel
