#include "web/QuickAddHost.h"

#include "web/NativeMessage.h"
#include "web/QuickAddExtension.h"
#include "web/QuickAddRegistration.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

namespace QuickAddHost {

namespace {

const QString ProgramName = QStringLiteral("numira");

bool isProgram(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

QString programPath(const QString& hostFolder, const QProcessEnvironment& environment)
{
    const QString chosen = environment.value(QStringLiteral("NUMIRA_PROGRAM"));
    if (!chosen.isEmpty())
        return chosen;
    const QDir folder(hostFolder);
    for (const QString& candidate : {folder.filePath(ProgramName),
                                     folder.filePath(QStringLiteral("../../bin/") + ProgramName)}) {
        if (isProgram(candidate))
            return QDir::cleanPath(candidate);
    }
    const QString searchPath = environment.value(QStringLiteral("PATH"));
    if (searchPath.isEmpty())
        return QString();
    return QStandardPaths::findExecutable(
        ProgramName, searchPath.split(QDir::listSeparator(), Qt::SkipEmptyParts));
}

bool startProgram(const QString& program, const QString& text, QString* error)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments({QuickAddExtension::AddSerialOption + text});
    // Standard output is the browser's channel: nothing but the host's answer may reach it.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    if (process.startDetached())
        return true;
    if (error)
        *error = QCoreApplication::translate("QuickAddHost", "Cannot start %1: %2")
                     .arg(program, process.errorString());
    return false;
}

int frameWaitMsecs(const QProcessEnvironment& environment)
{
    bool isNumber = false;
    const int chosen =
        environment.value(QStringLiteral("NUMIRA_QUICKADD_WAIT_MS")).toInt(&isNumber);
    return isNumber && chosen > 0 ? chosen : NativeMessage::FrameWaitMsecs;
}

bool serve(QIODevice* input, QIODevice* output, const QString& hostFolder, QString* error,
           int waitMsecs)
{
    QString problem;
    QByteArray body;
    QString text;
    bool ok = NativeMessage::readFrame(input, &body, &problem, waitMsecs) &&
              NativeMessage::parseQuickAdd(body, &text, &problem);
    // The package makes the host reachable for every user of the machine; the option in the
    // About window decides per user whether it starts anything.
    if (ok && !QuickAddRegistration::isEnabledForUser()) {
        problem = QCoreApplication::translate("QuickAddHost", TurnedOffReply);
        ok = false;
    }
    if (ok) {
        const QString program = programPath(hostFolder, QProcessEnvironment::systemEnvironment());
        if (program.isEmpty()) {
            problem =
                QCoreApplication::translate(
                    "QuickAddHost", "Numira is not installed: no numira beside %1 or on the PATH.")
                    .arg(QDir::toNativeSeparators(hostFolder));
            ok = false;
        } else {
            ok = startProgram(program, text, &problem);
        }
    }
    const QByteArray answer = NativeMessage::encodeFrame(NativeMessage::reply(ok, problem));
    if (output->write(answer) != answer.size()) {
        problem = QCoreApplication::translate("QuickAddHost", "Cannot answer the browser: %1")
                      .arg(output->errorString());
        ok = false;
    }
    if (!ok && error)
        *error = problem;
    return ok;
}

} // namespace QuickAddHost
