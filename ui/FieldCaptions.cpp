#include "ui/FieldCaptions.h"

#include <QAbstractItemView>
#include <QLabel>

void FieldCaptions::attach(
    QWidget* form, std::initializer_list<std::pair<const char*, QWidget*>> captionsAndFields)
{
    for (const auto& [captionName, field] : captionsAndFields) {
        auto* caption = form->findChild<QLabel*>(QLatin1String(captionName));
        Q_ASSERT_X(caption, "FieldCaptions::attach", captionName);
        if (!caption)
            continue;
        caption->setBuddy(field);
        if (qobject_cast<QAbstractItemView*>(field) && field->accessibleName().isEmpty()) {
            QString words = caption->text().trimmed();
            words.remove(QLatin1Char('&'));
            field->setAccessibleName(words);
        }
    }
}
