#include "store/records/RecordRule.h"

#include <QCoreApplication>

namespace RecordRule {

bool holdsLineBreak(const QString& text)
{
    for (const QChar c : text) {
        switch (c.unicode()) {
        case 0x000A:
        case 0x000B:
        case 0x000C:
        case 0x000D:
        case 0x0085:
        case 0x2028:
        case 0x2029:
            return true;
        default:
            break;
        }
    }
    return false;
}

bool holdsVisibleCharacter(const QString& text)
{
    for (const QChar c : text) {
        if (c.isSpace())
            continue;
        switch (c.category()) {
        case QChar::Other_Control:
        case QChar::Other_Format:
        case QChar::Other_NotAssigned:
            continue;
        default:
            return true;
        }
    }
    return false;
}

QString detailsProblem(const QString& version, const QString& name, const QString& serial)
{
    Q_UNUSED(version)
    Q_UNUSED(name)
    if (serial.isEmpty())
        return QCoreApplication::translate("RecordRule", "The serial is empty.");
    return QString();
}

QString problem(const QString& program, const QString& version, const QString& name,
                const QString& serial)
{
    if (program.isEmpty())
        return QCoreApplication::translate("RecordRule", "The program name is empty.");
    if (holdsLineBreak(program))
        return QCoreApplication::translate("RecordRule", "The program name holds a line break.");
    if (!holdsVisibleCharacter(program))
        return QCoreApplication::translate("RecordRule",
                                           "The program name holds no visible character.");
    return detailsProblem(version, name, serial);
}

QString title(const QString& program, const QString& version, const QString& name)
{
    QString text = program;
    if (!version.isEmpty())
        text += QLatin1Char(' ') + version;
    if (!name.isEmpty())
        text += QStringLiteral(" (%1)").arg(name);
    return text;
}

} // namespace RecordRule
