#pragma once

// What assistive technology sees of a TextBox: an editable line of text, as Qt shows
// any line edit, that also offers the click into it as an action ("Press", also what
// UI Automation's Invoke runs). Qt's own interface for line edits cannot be extended, so
// the text is served here in full.

namespace ui {

// Installs the factory that gives every TextBox its interface; the first TextBox does.
void InstallTextBoxAccessibility();

}  // namespace ui
