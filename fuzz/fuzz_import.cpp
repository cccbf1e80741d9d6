// CSV, JSON, TSV and key-finder files: any bytes are read or refused with a reason, and what is
// read comes back unchanged through each of Numira's export formats.

#include "store/records/RecordExport.h"
#include "store/records/RecordImport.h"
#include "store/records/RecordRule.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const auto format : {RecordImport::Format::Csv, RecordImport::Format::Json,
                              RecordImport::Format::KeyFinder, RecordImport::Format::Tsv}) {
        QList<RecordStore::SerialRecord> records;
        QString error;
        if (!RecordImport::parse(bytes, format, &records, &error)) {
            if (error.isEmpty() || !records.isEmpty())
                std::abort();
            continue;
        }
        // A file that is read gives no reason, and every record it gives can be stored.
        if (!error.isEmpty())
            std::abort();
        for (const auto& r : records) {
            if (!RecordRule::problem(r.program, r.version, r.name, r.serial).isEmpty())
                std::abort();
        }
        // What was read comes back unchanged through each export format.
        for (const auto exported :
             {RecordExport::Format::Csv, RecordExport::Format::Json, RecordExport::Format::Tsv}) {
            const auto againFormat =
                exported == RecordExport::Format::Json  ? RecordImport::Format::Json
                : exported == RecordExport::Format::Tsv ? RecordImport::Format::Tsv
                                                        : RecordImport::Format::Csv;
            QList<RecordStore::SerialRecord> again;
            if (!RecordImport::parse(RecordExport::toFormat(exported, records), againFormat, &again,
                                     &error) ||
                again.size() != records.size())
                std::abort();
            for (qsizetype i = 0; i < records.size(); ++i) {
                const auto& a = records.at(i);
                const auto& b = again.at(i);
                if (a.program != b.program || a.version != b.version || a.name != b.name ||
                    a.serial != b.serial || a.date != b.date)
                    std::abort();
            }
        }
    }
    return 0;
}
