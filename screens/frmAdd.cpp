#include "screens/frmAdd.h"

#include <QPlainTextEdit>

frmAdd::frmAdd(Prompt& prompt, QWidget* parent) : QWidget(parent), m_prompt(prompt)
{
    txtSerial = new QPlainTextEdit(this);
}
