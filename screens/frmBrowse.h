#pragma once

#include <QWidget>

class Prompt;
class QPlainTextEdit;

class frmBrowse final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmBrowse)

public:
    explicit frmBrowse(Prompt& prompt, QWidget* parent = nullptr);

private:
    Prompt& m_prompt;
};
