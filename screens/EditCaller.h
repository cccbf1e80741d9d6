#pragma once

// A list screen that opens the edit screen over itself. The edit screen hands the user back
// through this when it closes, so it needs to know nothing of the screen beneath it.
class EditCaller
{
public:
    virtual ~EditCaller() = default;

    // Unloads the edit screen and shows this screen again; when the record was saved or
    // deleted, the list is read again, keeping the selection where the record still is.
    virtual void returnFromEdit(bool recordChanged) = 0;
};
