#include "store/records/RecordImport.h"

#include "store/files/BoundedFile.h"
#include "store/records/RecordReader.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using RecordStore::SerialRecord;

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

// "YYYY-MM-DDTHH:MM:SS" naming a real day and time; checked by hand, since every imported
// row passes here.
bool isStoredForm(const QString& text)
{
    static const char pattern[] = "0000-00-00T00:00:00";
    if (text.size() != qsizetype(sizeof pattern - 1))
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool digit = text.at(i).isDigit() && text.at(i).unicode() < 128;
        if (pattern[i] == '0' ? !digit : text.at(i) != QLatin1Char(pattern[i]))
            return false;
    }
    auto number = [&](int at, int length) { return QStringView(text).mid(at, length).toInt(); };
    return QDate(number(0, 4), number(5, 2), number(8, 2)).isValid() &&
           QTime(number(11, 2), number(14, 2), number(17, 2)).isValid();
}

} // namespace

namespace RecordImport {

bool readFile(const QString& path, QByteArray* bytes, QString* error)
{
    return BoundedFile::read(path, MaxFileBytes, bytes, error);
}

bool openFile(const QString& path, QFile* file, QString* error)
{
#ifdef Q_OS_WIN
    const QFileInfo info(path);
    if (!info.isFile()) {
        setError(error, QStringLiteral("\"%1\" is not an ordinary file.").arg(path));
        return false;
    }
    file->setFileName(path);
    if (!file->open(QIODevice::ReadOnly)) {
        setError(error, file->errorString());
        return false;
    }
#else
    if (path.isEmpty()) {
        setError(error, QCoreApplication::translate("BoundedFile", "No file is named."));
        return false;
    }
    // As BoundedFile reads: opening never waits for a writer, and the type is taken from the
    // open descriptor, so nothing can be swapped in between.
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) {
        setError(error, QStringLiteral("\"%1\" cannot be read: %2")
                            .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    struct stat info;
    QString why;
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode))
        why = QStringLiteral("\"%1\" is not an ordinary file.").arg(path);
    else if (info.st_size > MaxFileBytes)
        why = tooLarge(path);
    if (!why.isEmpty() ||
        !file->open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        setError(error, why.isEmpty() ? file->errorString() : why);
        return false;
    }
#endif
    if (file->size() > MaxFileBytes) {
        file->close();
        setError(error, tooLarge(path));
        return false;
    }
    return true;
}

QString tooLarge(const QString& path)
{
    return QStringLiteral("\"%1\" is larger than %2 bytes.").arg(path).arg(MaxFileBytes);
}

QString inputTooLarge()
{
    return QCoreApplication::translate("RecordImport", "The input is larger than %n bytes.",
                                       nullptr, int(MaxFileBytes));
}

bool readStream(QIODevice& device, QByteArray* bytes, QString* error)
{
    bytes->clear();
    // A read that gives nothing is the end: standard input blocks until there is more.
    for (;;) {
        const QByteArray piece =
            device.read(qMin<qint64>(1 << 20, MaxFileBytes + 1 - bytes->size()));
        if (piece.isEmpty())
            break;
        bytes->append(piece);
        if (bytes->size() > MaxFileBytes) {
            bytes->clear();
            setError(error, inputTooLarge());
            return false;
        }
    }
    return true;
}

Format detectedFormat(const QString& path, const QByteArray& bytes)
{
    return RecordReader::detectedFormat(path, bytes);
}

QString storedDate(const QString& iso)
{
    // The stored form itself is kept to the letter, so that a round trip changes nothing.
    if (isStoredForm(iso))
        return iso;
    QDateTime moment = QDateTime::fromString(iso, Qt::ISODate);
    if (!moment.isValid()) {
        const QDate day = QDate::fromString(iso, Qt::ISODate);
        if (!day.isValid())
            return QString();
        moment = day.startOfDay();
    }
    return RecordStore::dateText(moment);
}

bool parse(const QByteArray& bytes, Format format, QList<SerialRecord>* records, QString* error)
{
    records->clear();
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    RecordReader reader(buffer, format, bytes.size(), QString());
    QList<SerialRecord> read;
    SerialRecord record;
    while (reader.next(&record))
        read.append(std::move(record));
    if (!reader.failure().isEmpty()) {
        setError(error, reader.failure());
        return false;
    }
    *records = std::move(read);
    return true;
}

} // namespace RecordImport
