// comments.txt: any bytes become lines that each end with CR LF.

#include "about/AboutText.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = AboutText::commentsFromBytes(content);
    // Every line break the text holds is a CR LF pair.
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\n') && (i == 0 || text.at(i - 1) != QLatin1Char('\r')))
            std::abort();
    }
    return 0;
}
