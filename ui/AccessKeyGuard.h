#pragma once

#include <QObject>

// Keeps Alt+letter out of the text boxes. A letter that is some button's access key is taken
// by the button before any box sees it; one that is nobody's would otherwise be typed into the
// box with the focus, changing a serial or a name behind the user's back.
class AccessKeyGuard final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AccessKeyGuard)

public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
