#pragma once

#include <QByteArray>
#include <QString>

// A passphrase as the UTF-8 bytes SQLCipher takes, overwritten with zeros when it goes out of
// scope. Copying is not allowed, so the bytes live in one place only.
class SecretBytes final
{
public:
    SecretBytes() = default;
    explicit SecretBytes(const QString& text);
    explicit SecretBytes(QByteArray&& bytes);
    SecretBytes(SecretBytes&& other) noexcept;
    SecretBytes& operator=(SecretBytes&& other) noexcept;
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;
    ~SecretBytes();

    const char* data() const { return m_bytes.constData(); }
    qsizetype size() const { return m_bytes.size(); }
    bool isEmpty() const { return m_bytes.isEmpty(); }
    // The passphrase as text again, for QSqlDatabase::open(); wipe the copy after use.
    QString toText() const { return QString::fromUtf8(m_bytes); }
    SecretBytes copy() const;
    bool operator==(const SecretBytes& other) const { return m_bytes == other.m_bytes; }

    // Overwrites the characters or bytes in place and empties the string. Every copy that
    // shares them is wiped too, which is the point; text in read-only memory is only emptied.
    static void wipe(QString& text);
    static void wipe(QByteArray& bytes);

private:
    QByteArray m_bytes;
};
