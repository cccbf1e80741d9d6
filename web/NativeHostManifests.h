#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

// The per-user files that tell Chromium, Google Chrome and Firefox where Numira's native host
// is and which extension may start it. Without them the extension's "Add to Numira" fails.
class NativeHostManifests final
{
public:
    // homeFolder is the user's home; hostPath the absolute path of numira-quickadd-host.
    NativeHostManifests(const QString& homeFolder, const QString& hostPath);

    // Where each browser looks, one file per browser.
    QString chromiumManifestPath() const;
    QString chromeManifestPath() const;
    QString firefoxManifestPath() const;
    QStringList manifestPaths() const;

    // Writes or replaces every manifest, making folders as needed. Every file is attempted;
    // the error lists each one that failed.
    bool install(QString* error = nullptr) const;
    // Removes every manifest; a file that is not there is no failure.
    bool uninstall(QString* error = nullptr) const;
    // True when every manifest is there and points at this host.
    bool isInstalled() const;

    QJsonObject chromiumManifest() const;
    QJsonObject firefoxManifest() const;

private:
    QJsonObject commonManifest() const;
    QString manifestIn(const QString& folder) const;

    QString m_homeFolder;
    QString m_hostPath;
};
