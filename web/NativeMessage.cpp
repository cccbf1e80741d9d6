#include "web/NativeMessage.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonValue>
#include <QtEndian>

namespace NativeMessage {

namespace {

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

enum class ReadResult
{
    Complete,
    Ended,
    TimedOut
};

// Reads exactly count bytes before the deadline.
ReadResult readExactly(QIODevice* device, qint64 count, QByteArray* data,
                       const QDeadlineTimer& deadline)
{
    data->clear();
    data->reserve(count);
    bool saidReady = false;
    while (data->size() < count) {
        const QByteArray chunk = device->read(count - data->size());
        if (!chunk.isEmpty()) {
            data->append(chunk);
            saidReady = false;
            continue;
        }
        // A file or buffer has nothing more to come; a pipe that said it was ready and then
        // gave nothing has been closed by its writer.
        if (!device->isSequential() || saidReady)
            return ReadResult::Ended;
        if (deadline.hasExpired() || !device->waitForReadyRead(int(deadline.remainingTime())))
            return deadline.hasExpired() ? ReadResult::TimedOut : ReadResult::Ended;
        saidReady = true;
    }
    return ReadResult::Complete;
}

bool isValidUnicode(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return false;
    }
    return true;
}

} // namespace

bool readFrame(QIODevice* device, QByteArray* body, QString* error, int waitMsecs)
{
    // One deadline for the whole frame: a sender that trickles a byte now and then cannot
    // keep the host waiting longer than a sender that sends nothing.
    const QDeadlineTimer deadline(waitMsecs);
    const QString within = QStringLiteral(" within %1 s").arg(waitMsecs / 1000.0);
    QByteArray header;
    ReadResult result = readExactly(device, HeaderBytes, &header, deadline);
    const bool late = result == ReadResult::TimedOut;
    if (result != ReadResult::Complete && header.isEmpty())
        return fail(error, QStringLiteral("No message arrived%1.").arg(late ? within : QString()));
    if (result != ReadResult::Complete)
        return fail(error,
                    QStringLiteral("The message length is cut short%1.")
                        .arg(late ? QStringLiteral(": no more arrived") + within : QString()));
    const quint32 length = qFromUnaligned<quint32>(header.constData());
    if (length > MaxMessageBytes)
        return fail(error, QStringLiteral("The message is %1 bytes long; at most %2 are taken.")
                               .arg(length)
                               .arg(MaxMessageBytes));
    result = readExactly(device, length, body, deadline);
    if (result != ReadResult::Complete)
        return fail(error, QStringLiteral("The message ends after %1 of its %2 bytes%3.")
                               .arg(body->size())
                               .arg(length)
                               .arg(result == ReadResult::TimedOut
                                        ? QStringLiteral(": no more arrived") + within
                                        : QString()));
    return true;
}

bool parseQuickAdd(const QByteArray& body, QString* text, QString* error)
{
    // The parser decodes the raw bytes as UTF-8 and refuses broken sequences, overlong forms
    // and encoded surrogates; a "\ud800" escape it lets through is caught below.
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(error,
                    QStringLiteral("The message is not JSON: %1.").arg(parseError.errorString()));
    const QJsonObject object = document.object();
    if (!document.isObject() || object.size() != 1 || !object.value(u"text").isString())
        return fail(error,
                    QStringLiteral("The message must be {\"text\": \"...\"} and nothing more."));

    const QString value = object.value(u"text").toString();
    if (value.isEmpty())
        return fail(error, QCoreApplication::translate("NativeMessage", "The text is empty."));
    if (value.contains(QChar(0)))
        return fail(
            error, QCoreApplication::translate("NativeMessage", "The text holds a NUL character."));
    if (!isValidUnicode(value))
        return fail(error, QCoreApplication::translate("NativeMessage",
                                                       "The text holds an unpaired surrogate."));
    const qsizetype bytes = value.toUtf8().size();
    if (bytes > MaxTextBytes)
        return fail(error, QCoreApplication::translate(
                               "NativeMessage", "The text is %1 bytes long; at most %2 are taken.")
                               .arg(bytes)
                               .arg(MaxTextBytes));
    if (text)
        *text = value;
    return true;
}

bool parseFrame(const QByteArray& frame, QString* text, QString* error)
{
    QBuffer buffer;
    buffer.setData(frame);
    buffer.open(QIODevice::ReadOnly);
    QByteArray body;
    if (!readFrame(&buffer, &body, error, 0))
        return false;
    if (!buffer.atEnd())
        return fail(error,
                    QStringLiteral("%1 bytes follow the message.").arg(buffer.bytesAvailable()));
    return parseQuickAdd(body, text, error);
}

QByteArray encodeFrame(const QJsonObject& message)
{
    const QByteArray body = QJsonDocument(message).toJson(QJsonDocument::Compact);
    QByteArray frame(HeaderBytes, Qt::Uninitialized);
    qToUnaligned<quint32>(quint32(body.size()), frame.data());
    return frame + body;
}

QJsonObject reply(bool ok, const QString& error)
{
    QJsonObject message{{QStringLiteral("ok"), ok}};
    if (!ok)
        message.insert(QStringLiteral("error"), error);
    return message;
}

} // namespace NativeMessage
