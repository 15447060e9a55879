#pragma once

namespace aql::ui {

// Registers, once per process, how assistive tools see the drawn widgets (the display's four
// lines as its text, lamps as labels with their state, the keypad as a group of buttons).
void installAccessibleFactory();

} // namespace aql::ui
