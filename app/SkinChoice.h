#pragma once

#include <QCoreApplication>
#include <QList>
#include <QString>

class PictureButton;
class Prompt;
class ShapedWindow;
struct SkinValues;

// The skin of the main window and the record screens: the one the settings name is applied at
// start-up, and another is chosen for the next start. A file the skin reader refuses is said
// so and changes nothing.
class SkinChoice final
{
    Q_DECLARE_TR_FUNCTIONS(SkinChoice)

public:
    // The parts of the main window that a skin changes.
    struct Parts
    {
        ShapedWindow* window = nullptr; // takes the background picture
        QList<PictureButton*> labels;   // take the label colour
        PictureButton* add = nullptr;
        PictureButton* browse = nullptr;
        PictureButton* search = nullptr;
        PictureButton* home = nullptr;
        PictureButton* browser = nullptr;
    };

    // The skins' pictures are looked up in the program folder.
    SkinChoice(Prompt& prompt, const QString& programFolder);

    // Gives the main window the skin's label colour and pictures, and keeps its colours for
    // the screens; a missing picture or an empty colour leaves the designed one.
    void applyAtStartUp(const Parts& parts);
    void chooseForNextStart();

private:
    bool read(const QString& skinFile, SkinValues* skin);
    QString programFile(const QString& relativePath) const;

    Prompt& m_prompt;
    QString m_programFolder;
};
