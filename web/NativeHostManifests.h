#pragma once

#include <QCoreApplication>
#include <QJsonObject>
#include <QString>
#include <QStringList>

// The per-user files that tell Chromium, Google Chrome and Firefox where Numira's native host
// is and which extension may start it. The package ships the same files system-wide; these
// serve a Numira installed into a prefix the browsers do not read, and a user's own build.
class NativeHostManifests final
{
    Q_DECLARE_TR_FUNCTIONS(NativeHostManifests)

public:
    // homeFolder is the user's home; hostPath the absolute path of numira-quickadd-host;
    // configFolder where Chromium and Google Chrome keep their profiles (see
    // configFolderFor()).
    NativeHostManifests(const QString& homeFolder, const QString& hostPath,
                        const QString& configFolder);
    // The config folder as the browsers choose it from this process's environment.
    NativeHostManifests(const QString& homeFolder, const QString& hostPath);

    // $XDG_CONFIG_HOME when it names an absolute folder, else homeFolder/.config: where
    // Chromium and Google Chrome put their default profiles.
    static QString configFolderFor(const QString& homeFolder, const QString& xdgConfigHome);

    // Where each browser looks, one file per browser.
    QString chromiumManifestPath() const;
    QString chromeManifestPath() const;
    QString firefoxManifestPath() const;
    QStringList manifestPaths() const;

    // What of the machine decides which browsers need a manifest of this user's: the folders
    // of the program search path ($PATH), and the root under which the browsers' system-wide
    // manifest folders are (/ but in tests).
    struct Machine
    {
        QString searchPath;
        QString systemRoot = QStringLiteral("/");
    };
    static Machine thisMachine();

    // The manifests this user needs: one for each browser that is there (its program on the
    // search path, or its own folder in the home) and that a system-wide manifest for this very
    // host does not serve already (the package's, for a Numira installed under /usr).
    QStringList neededManifestPaths(const Machine& machine) const;
    // Writes the needed manifests as install() does, and removes this user's manifests of the
    // other browsers when they point at this host (written before the package served them).
    bool installWhereNeeded(const Machine& machine, QStringList* createdFolders = nullptr,
                            QString* error = nullptr) const;

    // Writes or replaces every manifest, making folders as needed; the folders it had to make
    // are added to createdFolders (parents before children). Every file is attempted; the
    // error lists each one that failed.
    bool install(QStringList* createdFolders = nullptr, QString* error = nullptr) const;
    // Removes every manifest (a file that is not there is no failure), then those of
    // createdFolders that are empty, children first; a folder that now holds something else
    // stays, as do folders Numira did not make.
    bool uninstall(const QStringList& createdFolders = {}, QString* error = nullptr) const;
    // True when every manifest is there and points at this host.
    bool isInstalled() const;

    QJsonObject chromiumManifest() const;
    QJsonObject firefoxManifest() const;

    // Writes one manifest file whole (a reader never sees half of it), making its folder and
    // any missing parents, which are added to createdFolders.
    static bool writeManifest(const QString& path, const QJsonObject& manifest,
                              QStringList* createdFolders, QString* error);

private:
    QJsonObject commonManifest() const;
    QString manifestIn(const QString& folder) const;

    QString m_homeFolder;
    QString m_hostPath;
    QString m_configFolder;
};
