#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;
class QProcessEnvironment;

// The language Numira speaks: English unless the environment asks for a language whose
// translation is installed. The window, numira-cli and the browser host each call install()
// once their QCoreApplication exists.
namespace Translations {

// The languages the environment asks for, most wanted first, read the way gettext reads them:
// the locale of messages is LC_ALL, else LC_MESSAGES, else LANG; when it is "C" or "POSIX" (or
// none is set) the answer is English alone and LANGUAGE is not read; otherwise LANGUAGE, a
// list separated by ':', when it is set, else that locale. Each entry loses its codeset and
// modifier ("de_DE.UTF-8@euro" is "de_DE") and is followed by its bare language ("de").
// English is "en".
QStringList wantedLanguages(const QProcessEnvironment& environment);

// The folder of Numira's .qm files for an executable in executableFolder: "translations"
// beside it (the build folder), else share/numira/translations of the prefix (the program in
// bin/, the browser host in libexec/numira/). Empty when there is none.
QString folderFor(const QString& executableFolder);

// Installs Numira's translation and Qt's own (qtbase, for the standard buttons) for the first
// wanted language that Numira is translated into, unless English comes first. Returns that
// language ("de"), or an empty string for English.
QString install(QCoreApplication& application, const QString& executableFolder,
                const QProcessEnvironment& environment);

} // namespace Translations
