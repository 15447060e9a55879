#pragma once

class QPushButton;

namespace aql::ui {

// The two looks of the small windows' push buttons: filled in the controller's blue (the log
// window's Save and Quit) or outlined in it. Both keep the same size, and focus shows as a
// green border, so that a keyboard user sees where Enter goes.
void styleFilledButton(QPushButton *button);
void styleOutlinedButton(QPushButton *button);

} // namespace aql::ui
