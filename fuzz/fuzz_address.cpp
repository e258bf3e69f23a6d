// Any text given to the server address editor yields four fields of 0 to 255, and the text the
// editor then shows reads back as itself.
#include "prefs/IPv4AddressEdit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto octets = corvel::IPv4AddressEdit::parse(text);
    QStringList parts;
    for (const auto octet : octets) {
        if (int(octet) < 0 || int(octet) > 255)
            __builtin_trap();
        parts << QString::number(int(octet));
    }
    if (corvel::IPv4AddressEdit::parse(parts.join(u'.')) != octets)
        __builtin_trap();
    return 0;
}
