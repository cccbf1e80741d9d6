#pragma once

#include <QCoreApplication>

class DatabaseSession;
class QWidget;

// Gives the open database its search index when it lacks one or has an earlier version's. A
// progress dialog appears when the build takes more than a moment; the window answers between
// the build's slices, and its Cancel leaves the file exactly as it was: searches then go on as
// before until the next opening.
class SearchIndexDialog final
{
    Q_DECLARE_TR_FUNCTIONS(SearchIndexDialog)

public:
    static void ensureIndex(QWidget* parent, DatabaseSession& session);
    // The same once the event loop runs, so that the window of an older file is shown first.
    static void ensureIndexSoon(QWidget* parent, DatabaseSession& session);
};
