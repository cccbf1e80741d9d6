// The browser host's frames: any bytes give a text or a reason, never both, and an accepted
// text survives being framed again.

#include "web/NativeMessage.h"

#include <QJsonObject>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray frame(reinterpret_cast<const char*>(data), qsizetype(size));
    QString text;
    QString error;
    if (!NativeMessage::parseFrame(frame, &text, &error)) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    QString again;
    if (!NativeMessage::parseFrame(NativeMessage::encodeFrame({{"text", text}}), &again, &error) ||
        again != text)
        std::abort();
    return 0;
}
