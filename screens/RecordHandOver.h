#pragma once

#include <QString>

class EditCaller;

// What a list screen hands to the edit screen it opens: the record chosen and the screen to go
// back to.
struct RecordHandOver
{
    QString selectedId;
    // Null when the edit screen was not opened from a list. A list screen that goes away
    // clears it, so it never names a screen that is gone.
    EditCaller* caller = nullptr;
};

RecordHandOver& recordHandOver();

// Puts every value back to its start value; tests call it between runs.
void resetRecordHandOver();
