#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

class QIODevice;

// The browsers' native-messaging framing: a 32-bit length in the machine's byte order, then
// that many bytes of UTF-8 JSON. The quick-add message is {"text": "..."} and nothing else.
namespace NativeMessage {

// The browser may send up to 4 GB; a quick add needs a few hundred bytes. Anything longer is
// refused before its body is read.
inline constexpr quint32 MaxMessageBytes = 64 * 1024;
// The text becomes one command-line argument, counted in UTF-8 bytes.
inline constexpr int MaxTextBytes = 16 * 1024;
inline constexpr int HeaderBytes = 4;

// How long the whole of one frame may take to arrive.
inline constexpr int FrameWaitMsecs = 30000;

// Reads one frame's body. Waits for more data only on devices that deliver it late (pipes,
// sockets), and only until waitMsecs after the call: a frame that stalls part way, its sender
// still holding the pipe open, fails then like one that was cut short. A plain file or buffer
// that ends early is a truncated frame.
bool readFrame(QIODevice* device, QByteArray* body, QString* error, int waitMsecs = FrameWaitMsecs);

// The text of one quick-add message body. Refused: invalid UTF-8, anything but a JSON object
// holding exactly one member "text" whose value is a string, and texts that are empty, hold a
// NUL or an unpaired surrogate, or exceed MaxTextBytes.
bool parseQuickAdd(const QByteArray& body, QString* text, QString* error);

// Both steps on a whole frame held in memory; bytes beyond the stated length are refused.
bool parseFrame(const QByteArray& frame, QString* text, QString* error);

QByteArray encodeFrame(const QJsonObject& message);

// {"ok": true}, or {"ok": false, "error": error}.
QJsonObject reply(bool ok, const QString& error = QString());

} // namespace NativeMessage
