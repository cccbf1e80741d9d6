#pragma once

#include <QWidget>

class Prompt;

class frmAbout final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmAbout)

public:
    explicit frmAbout(Prompt& prompt, QWidget* parent = nullptr);

private:
    Prompt& m_prompt;
};
