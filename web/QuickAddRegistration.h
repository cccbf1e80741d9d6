#pragma once

#include <QString>

// The quick-add option of the About window, per user: the setting the native host obeys, and
// the host manifests that let this user's browsers find the host when the package's
// system-wide ones do not serve (a Numira installed elsewhere than /usr, a user's own build).
namespace QuickAddRegistration {

// Where the browser integration of this user points.
struct QuickAddPlaces
{
    QString programFolder;
    QString homeFolder;
    // The absolute path of numira-quickadd-host.
    QString hostPath;
};

// The native host beside the executable (a build folder), else in ../libexec/numira from it
// (an installed program).
QString hostProgramPath(const QString& executableFolder);

// False only when this user turned the option off; a user who never pressed OK in the About
// window has it on.
bool isEnabledForUser();

// The option as the about window's OK applies it: the setting first, so that the host obeys
// it even when a browser folder cannot be written; then, on Windows, the host manifests and
// the browsers' registry keys; elsewhere, the per-user manifests of Chromium, Google Chrome and
// Firefox that are needed (a browser that is there, not served by a system-wide manifest of
// this host), written or removed together with the folders writing them made. False, with the
// reason, when any part failed.
bool apply(bool enabled, const QuickAddPlaces& places, QString* error = nullptr);

} // namespace QuickAddRegistration
