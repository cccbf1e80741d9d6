#include "screens/frmBrowse.h"

#include <QPlainTextEdit>

frmBrowse::frmBrowse(Prompt& prompt, QWidget* parent) : QWidget(parent), m_prompt(prompt)
{

}
