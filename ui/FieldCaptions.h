#pragma once

#include <QWidget>

#include <initializer_list>
#include <utility>

// Gives each field of a form the name of the caption written beside it, so that a screen
// reader says "Version:" when the version box takes the focus. The caption becomes the
// field's buddy (which also tells assistive technology that the one labels the other); an
// item view, whose accessible name ignores buddies, also takes the caption's words as its
// accessible name.
namespace FieldCaptions {

// Captions are found among the form's children by their designed objectNames; a name that
// is missing is a mistake in the form and stops a debug build.
void attach(QWidget* form,
            std::initializer_list<std::pair<const char*, QWidget*>> captionsAndFields);

} // namespace FieldCaptions
