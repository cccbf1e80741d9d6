#pragma once

#include <QString>

class MainWindow;
struct SkinValues;

// The skin of the main window and the record screens: the one the settings name is applied at
// start-up, and another is chosen for the next start. A file the skin reader refuses is said
// so and changes nothing.
class SkinChoice final
{
public:
    explicit SkinChoice(MainWindow& window);

    // Gives the main window the skin's label colour and pictures, and keeps its colours for
    // the screens; a missing picture or an empty colour leaves the designed one.
    void applyAtStartUp();
    void chooseForNextStart();

private:
    bool read(const QString& skinFile, SkinValues* skin);
    QString programFile(const QString& relativePath) const;

    MainWindow& m_window;
};
