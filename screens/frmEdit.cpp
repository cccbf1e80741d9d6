#include "screens/frmEdit.h"

#include <QPlainTextEdit>

frmEdit::frmEdit(Prompt& prompt, QWidget* parent) : QWidget(parent), m_prompt(prompt)
{

}
