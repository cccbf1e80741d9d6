#pragma once

#include <QString>
#include <QUrl>

// Where the embedded browser may go. It shows only the community site and the program's own
// local pages; a link to anywhere else on the web opens in the system's browser, and anything
// else (another local file, a script or data address) goes nowhere.
namespace NavigationPolicy {

enum class Decision
{
    Show,           // the embedded browser loads it
    OpenExternally, // the system's browser (or mail program) gets it
    Refuse          // nothing happens
};

// fromProgram: the program itself asked for the address (the start page, the home button),
// not a link or a script on a page.
Decision decide(const QUrl& url, const QString& programFolder, bool fromProgram);

} // namespace NavigationPolicy
