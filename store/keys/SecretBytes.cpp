#include "store/keys/SecretBytes.h"

#include <cstring>

namespace {

void zero(void* data, size_t size)
{
    // A plain memset before a free may be optimised away; a volatile walk may not.
    volatile unsigned char* bytes = static_cast<volatile unsigned char*>(data);
    while (size--)
        *bytes++ = 0;
}

} // namespace

SecretBytes::SecretBytes(const QString& text) : m_bytes(text.toUtf8())
{
}

SecretBytes::SecretBytes(QByteArray&& bytes) : m_bytes(std::move(bytes))
{
}

SecretBytes::SecretBytes(SecretBytes&& other) noexcept : m_bytes(std::move(other.m_bytes))
{
    other.m_bytes = QByteArray();
}

SecretBytes& SecretBytes::operator=(SecretBytes&& other) noexcept
{
    if (this != &other) {
        wipe(m_bytes);
        m_bytes = std::move(other.m_bytes);
        other.m_bytes = QByteArray();
    }
    return *this;
}

SecretBytes::~SecretBytes()
{
    wipe(m_bytes);
}

SecretBytes SecretBytes::copy() const
{
    return SecretBytes(QByteArray(m_bytes.constData(), m_bytes.size()));
}

void SecretBytes::wipe(QString& text)
{
    if (text.data_ptr().isMutable() && !text.isEmpty())
        zero(const_cast<QChar*>(text.constData()), size_t(text.size()) * sizeof(QChar));
    text = QString();
}

void SecretBytes::wipe(QByteArray& bytes)
{
    if (bytes.data_ptr().isMutable() && !bytes.isEmpty())
        zero(const_cast<char*>(bytes.constData()), size_t(bytes.size()));
    bytes = QByteArray();
}
