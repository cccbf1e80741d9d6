#include "about/frmAbout.h"

frmAbout::frmAbout(Prompt& prompt, QWidget* parent) : QWidget(parent), m_prompt(prompt)
{
    setWindowTitle(QStringLiteral("About..."));
}
