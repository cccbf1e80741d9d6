// Skin files: any bytes are either exactly ten values or refused, and never change what a
// refused read leaves behind.

#include "skins/SkinFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    SkinValues values;
    values.listBack = QStringLiteral("untouched");
    const SkinParseResult result = parseSkinText(content, &values);
    if (result != SkinParseResult::Valid && values.listBack != QLatin1String("untouched"))
        std::abort();
    return 0;
}
