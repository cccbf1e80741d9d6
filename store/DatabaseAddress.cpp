#include "store/DatabaseAddress.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

namespace {

// The words libpq takes in a connection string; a text whose first word is one of them is a
// server address, not a file name.
const QStringList& connectionKeywords()
{
    static const QStringList keywords = {
        QStringLiteral("host"),
        QStringLiteral("hostaddr"),
        QStringLiteral("port"),
        QStringLiteral("dbname"),
        QStringLiteral("user"),
        QStringLiteral("password"),
        QStringLiteral("passfile"),
        QStringLiteral("service"),
        QStringLiteral("sslmode"),
        QStringLiteral("connect_timeout"),
        QStringLiteral("application_name"),
        QStringLiteral("options"),
        QStringLiteral("target_session_attrs"),
        QStringLiteral("sslrootcert"),
        QStringLiteral("sslcert"),
        QStringLiteral("sslkey"),
        QStringLiteral("gssencmode"),
        QStringLiteral("krbsrvname"),
        QStringLiteral("channel_binding"),
        QStringLiteral("client_encoding"),
        QStringLiteral("keepalives"),
        QStringLiteral("require_auth"),
    };
    return keywords;
}

// A value as libpq reads it in a connection string: in single quotes, quote and backslash
// escaped.
QString quoted(const QString& value)
{
    QString escaped = value;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

QString decoded(const QString& part)
{
    return QUrl::fromPercentEncoding(part.toUtf8());
}

bool startsWithScheme(const QString& text)
{
    return text.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           text.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

// The key=value words of a connection string; false when it is not one.
bool splitWords(const QString& text, QList<QPair<QString, QString>>* words)
{
    qsizetype at = 0;
    const qsizetype size = text.size();
    auto skipBlanks = [&] {
        while (at < size && text.at(at).isSpace())
            ++at;
    };
    skipBlanks();
    while (at < size) {
        const qsizetype keyStart = at;
        while (at < size && (text.at(at).isLetterOrNumber() || text.at(at) == QLatin1Char('_')))
            ++at;
        const QString key = text.mid(keyStart, at - keyStart);
        skipBlanks();
        if (key.isEmpty() || at >= size || text.at(at) != QLatin1Char('='))
            return false;
        ++at;
        skipBlanks();
        QString value;
        if (at < size && text.at(at) == QLatin1Char('\'')) {
            ++at;
            bool closed = false;
            while (at < size) {
                const QChar c = text.at(at++);
                if (c == QLatin1Char('\\') && at < size) {
                    value += text.at(at++);
                } else if (c == QLatin1Char('\'')) {
                    closed = true;
                    break;
                } else {
                    value += c;
                }
            }
            if (!closed)
                return false;
        } else {
            while (at < size && !text.at(at).isSpace()) {
                if (text.at(at) == QLatin1Char('\\') && at + 1 < size)
                    ++at;
                value += text.at(at++);
            }
        }
        words->append({key, value});
        skipBlanks();
    }
    return !words->isEmpty();
}

} // namespace

DatabaseAddress::DatabaseAddress(const QString& text) : m_text(text)
{
    const QString trimmed = text.trimmed();
    if (startsWithScheme(trimmed)) {
        m_kind = Kind::Server;
        parseUri();
        return;
    }
    const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
    if (equals > 0 && connectionKeywords().contains(trimmed.left(equals).trimmed())) {
        m_kind = Kind::Server;
        parseWords();
    }
}

void DatabaseAddress::parseUri()
{
    QString rest = m_text.trimmed();
    rest = rest.mid(rest.indexOf(QLatin1String("://")) + 3);
    QString query;
    const qsizetype question = rest.indexOf(QLatin1Char('?'));
    if (question >= 0) {
        query = rest.mid(question + 1);
        rest.truncate(question);
    }
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    QString authority = slash >= 0 ? rest.left(slash) : rest;
    if (slash >= 0)
        m_database = decoded(rest.mid(slash + 1));
    const qsizetype atSign = authority.lastIndexOf(QLatin1Char('@'));
    if (atSign >= 0) {
        const QString userInfo = authority.left(atSign);
        authority = authority.mid(atSign + 1);
        const qsizetype colon = userInfo.indexOf(QLatin1Char(':'));
        m_user = decoded(colon >= 0 ? userInfo.left(colon) : userInfo);
        m_hasPassword = colon >= 0;
        if (m_hasPassword)
            m_connectionString +=
                QStringLiteral("password=%1;").arg(quoted(decoded(userInfo.mid(colon + 1))));
    }
    // host[:port] items, comma separated; [v6] addresses keep their colons.
    QStringList hosts;
    QStringList ports;
    for (const QString& item : authority.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const qsizetype bracket = item.lastIndexOf(QLatin1Char(']'));
        const qsizetype colon = item.lastIndexOf(QLatin1Char(':'));
        QString host = item;
        QString port;
        if (colon > bracket) {
            host = item.left(colon);
            port = item.mid(colon + 1);
        }
        if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
            host = host.mid(1, host.size() - 2);
        hosts << decoded(host);
        ports << port;
    }
    if (!hosts.isEmpty() && !(hosts.size() == 1 && hosts.first().isEmpty()))
        m_host = hosts.join(QLatin1Char(','));
    if (!ports.join(QString()).isEmpty())
        m_port = ports.join(QLatin1Char(','));
    QStringList extra;
    for (const QString& pair : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        const QString key = decoded(equals >= 0 ? pair.left(equals) : pair);
        const QString value = equals >= 0 ? decoded(pair.mid(equals + 1)) : QString();
        if (!takeWord(key, value))
            extra << QStringLiteral("%1=%2").arg(key, quoted(value));
    }
    QStringList words;
    if (!m_host.isEmpty())
        words << QStringLiteral("host=%1").arg(quoted(m_host));
    if (!m_port.isEmpty())
        words << QStringLiteral("port=%1").arg(quoted(m_port));
    if (!m_database.isEmpty())
        words << QStringLiteral("dbname=%1").arg(quoted(m_database));
    if (!m_user.isEmpty())
        words << QStringLiteral("user=%1").arg(quoted(m_user));
    if (!m_service.isEmpty())
        words << QStringLiteral("service=%1").arg(quoted(m_service));
    words << extra;
    m_connectionString += words.join(QLatin1Char(';'));
}

bool DatabaseAddress::takeWord(const QString& key, const QString& value)
{
    QString* part = key == QLatin1String("host")      ? &m_host
                    : key == QLatin1String("port")    ? &m_port
                    : key == QLatin1String("dbname")  ? &m_database
                    : key == QLatin1String("user")    ? &m_user
                    : key == QLatin1String("service") ? &m_service
                                                      : nullptr;
    if (part)
        *part = value;
    m_hasPassword = m_hasPassword || key == QLatin1String("password");
    return part != nullptr;
}

void DatabaseAddress::parseWords()
{
    QList<QPair<QString, QString>> words;
    if (!splitWords(m_text, &words))
        return;
    QStringList options;
    for (const auto& [key, value] : words) {
        takeWord(key, value);
        options << QStringLiteral("%1=%2").arg(key, quoted(value));
    }
    m_connectionString = options.join(QLatin1Char(';'));
}

QString DatabaseAddress::displayName() const
{
    if (!isServer())
        return QFileInfo(m_text).fileName();
    const QString database = !m_database.isEmpty()
                                 ? m_database
                                 : (!m_service.isEmpty() ? m_service : QStringLiteral("database"));
    if (m_host.isEmpty() || m_host.startsWith(QLatin1Char('/')))
        return m_service.isEmpty() || !m_database.isEmpty() || !m_host.isEmpty()
                   ? QCoreApplication::translate("DatabaseAddress", "%1 on this computer")
                         .arg(database)
                   : QCoreApplication::translate("DatabaseAddress", "%1 (service)").arg(database);
    return QCoreApplication::translate("DatabaseAddress", "%1 on %2").arg(database, m_host);
}
