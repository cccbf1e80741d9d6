#pragma once

#include <QString>

// What the about window shows that needs no window.
namespace AboutText {

// The comments file as the text box shows it: every line, the last one included, followed by
// CR LF. Lines end at CR, CR LF or LF; a missing or unreadable file gives the empty text.
// The bytes are read as UTF-8, or as Latin-1 when they are no valid UTF-8.
QString readComments(const QString& path);
QString commentsFromBytes(const QByteArray& bytes);

// The comments file of the program folder, in the language Numira speaks where one is shipped
// for it (comments_de.txt), else comments.txt.
QString commentsPath(const QString& programFolder);

// The edition prefix and major.minor.revision of this build, e.g. "V 1.0.0".
QString versionText();

} // namespace AboutText
