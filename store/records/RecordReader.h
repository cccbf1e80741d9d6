#pragma once

#include "store/records/RecordFormat.h"
#include "store/records/RecordSource.h"

#include <QByteArray>
#include <QString>

#include <memory>

class QIODevice;

// Reads the records of an import file (RecordImport's formats) from a device as they are asked
// for, holding a piece of the file and the record being read rather than the whole: a file of a
// million records is read in about the memory of a few thousand. Every record is checked as it
// is read (RecordRule, the date's form, the details), so a bad row stops the reading and names
// the row; what was read before it is for the caller to throw away.
//
// UTF-8 text is decoded a piece at a time. A key finder's file, which may turn out to be
// Latin-1 only at its last byte, and UTF-16 or UTF-32 text (by its byte-order mark) are read
// whole first; such files are small.
class RecordReader final : public RecordSource
{
    Q_DISABLE_COPY_MOVE(RecordReader)

public:
    // The device is read from where it stands; byteLimit bounds what is read (tooLarge is the
    // reason given when the device holds more).
    RecordReader(QIODevice& device, RecordFormat::Format format, qint64 byteLimit,
                 QString tooLarge);
    ~RecordReader() override;

    bool next(RecordStore::SerialRecord* record) override;
    QString failure() const override;
    // Whether reading stopped because the device held more than byteLimit bytes.
    bool exceededLimit() const;

    // The format of a file to import when none is named, by its name and its first bytes (see
    // RecordImport::detectedFormat).
    static RecordFormat::Format detectedFormat(const QString& path, const QByteArray& head);

private:
    struct State;
    std::unique_ptr<State> m_state;
};
