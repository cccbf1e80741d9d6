// CSV, JSON and key-finder files: any bytes are read or refused with a reason, and what is read
// comes back unchanged through Numira's own CSV export.

#include "store/RecordExport.h"
#include "store/RecordImport.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const auto format :
         {RecordImport::Format::Csv, RecordImport::Format::Json, RecordImport::Format::KeyFinder}) {
        QList<RecordStore::SerialRecord> records;
        QString error;
        if (!RecordImport::parse(bytes, format, &records, &error)) {
            if (error.isEmpty() || !records.isEmpty())
                std::abort();
            continue;
        }
        QList<RecordStore::SerialRecord> again;
        if (!RecordImport::parse(RecordExport::toCsv(records), RecordImport::Format::Csv, &again,
                                 &error) ||
            again.size() != records.size())
            std::abort();
        for (qsizetype i = 0; i < records.size(); ++i) {
            const auto& a = records.at(i);
            const auto& b = again.at(i);
            if (a.program != b.program || a.version != b.version || a.name != b.name ||
                a.serial != b.serial)
                std::abort();
        }
    }
    return 0;
}
