#include "web/NativeMessage.h"

#include <QBuffer>
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

// Reads exactly count bytes; false when the device ends or stalls first.
bool readExactly(QIODevice* device, qint64 count, QByteArray* data, int waitMsecs)
{
    data->clear();
    data->reserve(count);
    while (data->size() < count) {
        const QByteArray chunk = device->read(count - data->size());
        if (chunk.isEmpty()) {
            // A blocking file says "no more" by returning nothing; waitForReadyRead() is false
            // for it, so only sequential devices that can still deliver are waited for.
            if (!device->isSequential() || !device->waitForReadyRead(waitMsecs))
                return false;
            continue;
        }
        data->append(chunk);
    }
    return true;
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
    QByteArray header;
    if (!readExactly(device, HeaderBytes, &header, waitMsecs)) {
        if (header.isEmpty())
            return fail(error, QStringLiteral("No message arrived."));
        return fail(error, QStringLiteral("The message length is cut short."));
    }
    const quint32 length = qFromUnaligned<quint32>(header.constData());
    if (length > MaxMessageBytes)
        return fail(error, QStringLiteral("The message is %1 bytes long; at most %2 are taken.")
                               .arg(length)
                               .arg(MaxMessageBytes));
    if (!readExactly(device, length, body, waitMsecs))
        return fail(error, QStringLiteral("The message ends after %1 of its %2 bytes.")
                               .arg(body->size())
                               .arg(length));
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
        return fail(error, QStringLiteral("The text is empty."));
    if (value.contains(QChar(0)))
        return fail(error, QStringLiteral("The text holds a NUL character."));
    if (!isValidUnicode(value))
        return fail(error, QStringLiteral("The text holds an unpaired surrogate."));
    const qsizetype bytes = value.toUtf8().size();
    if (bytes > MaxTextBytes)
        return fail(error, QStringLiteral("The text is %1 bytes long; at most %2 are taken.")
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
