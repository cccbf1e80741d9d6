#pragma once

class QWidget;

// Gives the open database its search index when it lacks one (a file of an earlier version).
// A progress dialog appears when the build takes more than a moment; its Cancel leaves the
// file exactly as it was, and searches then scan as before until the next opening.
class SearchIndexDialog final
{
public:
    static void ensureIndex(QWidget* parent);
};
