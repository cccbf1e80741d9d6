#pragma once

#include <QWidget>

class Prompt;
class QPlainTextEdit;

class frmAdd final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmAdd)

public:
    explicit frmAdd(Prompt& prompt, QWidget* parent = nullptr);
    QPlainTextEdit* txtSerial = nullptr;
private:
    Prompt& m_prompt;
};
