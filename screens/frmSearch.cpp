#include "screens/frmSearch.h"

#include <QPlainTextEdit>

frmSearch::frmSearch(Prompt& prompt, QWidget* parent) : QWidget(parent), m_prompt(prompt)
{

}
