#pragma once

// Gives the widget kit's own widgets the faces assistive technology should see: the picture
// buttons and hyperlink labels are push buttons (AccessibleButton), the shaped window is a
// window. Qt asks the factory before its own, class by class from the most derived one.
namespace AccessibleFactory {

// Registers the factory once; safe to call again. The widgets concerned call it as they are
// made, so no start-up code can forget it.
void install();

} // namespace AccessibleFactory
