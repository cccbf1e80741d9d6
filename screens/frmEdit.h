#pragma once

#include <QWidget>

class Prompt;
class QPlainTextEdit;

class frmEdit final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmEdit)

public:
    explicit frmEdit(Prompt& prompt, QWidget* parent = nullptr);

private:
    Prompt& m_prompt;
};
