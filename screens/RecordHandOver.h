#pragma once

#include <QString>

// What the list screens hand to the edit screen and what it needs to return to them: the
// record chosen, the screen to go back to, and the search to run again there.
struct RecordHandOver
{
    QString selectedId;
    // "browse" or "search"; empty when the edit screen was not opened from a list.
    QString returnTo;
    QString lastKeywords;
    QString lastSearchType;
};

RecordHandOver& recordHandOver();

// Puts every value back to its start value; tests call it between runs.
void resetRecordHandOver();
