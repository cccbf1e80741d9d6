#pragma once

#include <QWidget>

class Prompt;
class QPlainTextEdit;

class frmSearch final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmSearch)

public:
    explicit frmSearch(Prompt& prompt, QWidget* parent = nullptr);

private:
    Prompt& m_prompt;
};
