// Any stored logo value decodes to a picture of bounded size or fails with an error; a decoded
// picture encodes and decodes again.
#include "admin/LogoCodec.h"
#include "platform/Error.h"

#include <QGuiApplication>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_logo";
    static char *argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    const QByteArray value(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const QImage image = corvel::logocodec::decodeStored(value);
        if (image.width() > corvel::logocodec::kMaxLogoSide ||
            image.height() > corvel::logocodec::kMaxLogoSide)
            __builtin_trap();
        corvel::logocodec::decodeStored(corvel::logocodec::encode(image));
    } catch (const corvel::Error &) {
    }
    return 0;
}
