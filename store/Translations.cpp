#include "store/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTranslator>

namespace {

// "de_DE.UTF-8@euro" -> "de_DE"
QString withoutCodeset(QString entry)
{
    const qsizetype cut = entry.indexOf(QRegularExpression(QStringLiteral("[.@]")));
    if (cut >= 0)
        entry.truncate(cut);
    return entry.trimmed();
}

bool isEnglish(const QString& language)
{
    return language == QLatin1String("en") || language.startsWith(QLatin1String("en_"));
}

} // namespace

namespace Translations {

QStringList wantedLanguages(const QProcessEnvironment& environment)
{
    QString locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = environment.value(QLatin1String(name));
        if (!locale.isEmpty())
            break;
    }
    const QString bare = withoutCodeset(locale);
    if (bare.isEmpty() || bare == QLatin1String("C") || bare == QLatin1String("POSIX"))
        return {QStringLiteral("en")};

    // LANGUAGE, when set, takes the place of the locale's language, as in gettext.
    const QString list = environment.value(QStringLiteral("LANGUAGE"));
    const QStringList entries = list.isEmpty() ? QStringList{locale} : list.split(QLatin1Char(':'));
    QStringList wanted;
    for (const QString& entry : std::as_const(entries)) {
        const QString language = withoutCodeset(entry);
        if (language.isEmpty() || language == QLatin1String("C") ||
            language == QLatin1String("POSIX"))
            continue;
        for (const QString& each : {language, language.section(QLatin1Char('_'), 0, 0)}) {
            if (!wanted.contains(each))
                wanted << each;
        }
    }
    if (wanted.isEmpty()) // a LANGUAGE of empty entries alone
        wanted << QStringLiteral("en");
    return wanted;
}

QString folderFor(const QString& executableFolder)
{
    const QDir here(executableFolder);
    for (const QString& relative :
         {QStringLiteral("translations"), QStringLiteral("../share/numira/translations"),
          QStringLiteral("../../share/numira/translations")}) {
        const QFileInfo folder(here.filePath(relative));
        if (folder.isDir())
            return QDir::cleanPath(folder.absoluteFilePath());
    }
    return QString();
}

QString install(QCoreApplication& application, const QString& executableFolder,
                const QProcessEnvironment& environment)
{
    // English, the language of the code, costs nothing: no file is looked for.
    const QStringList wanted = wantedLanguages(environment);
    if (isEnglish(wanted.constFirst()))
        return QString();
    const QString folder = folderFor(executableFolder);
    if (folder.isEmpty())
        return QString();
    for (const QString& language : wanted) {
        if (isEnglish(language))
            return QString();
        // Looked for by its whole name: QTranslator would take numira_de for de_CH by itself,
        // before a language wanted next that Numira has whole.
        const QString file = QDir(folder).filePath(QStringLiteral("numira_%1.qm").arg(language));
        auto* numira = new QTranslator(&application);
        if (!QFileInfo::exists(file) || !numira->load(file)) {
            delete numira;
            continue;
        }
        // Qt's own texts (Yes, No, Cancel, the file dialog) in the same language, when the
        // system has them; Numira's texts are shown either way.
        auto* qt = new QTranslator(&application);
        if (qt->load(QStringLiteral("qtbase_") + language,
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(qt);
        else
            delete qt;
        QCoreApplication::installTranslator(numira);
        return language;
    }
    return QString();
}

} // namespace Translations
