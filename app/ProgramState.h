#pragma once

#include "skins/SkinFile.h"

#include <QString>

// Program-wide state that lives for the whole run; empty or false at start.
struct ProgramState
{
    // Start page (the community page, set once at start-up).
    QString HomeUrl;

    // Skin: whether the colours were applied at start-up, and the ten values read.
    bool SkinLoaded = false;
    SkinValues Skin;

    // Quick add from the command line.
    QString QuickAddText;
    bool QuickAddMode = false;

    // Hand-over between the list screens and the edit screen.
    QString SelectedID;
    QString ReturnTo;
    QString LastKeywords;
    QString LastSearchType;
};

ProgramState& programState();

// Puts every value back to its start value; tests call it between runs.
void resetProgramState();
