#pragma once
// Characters and balloons are always-on-top windows, and so are the program's message
// boxes. When a character or balloon comes forward, a box that waits for an answer
// stays above it: a child must always see the button to press.

class QWidget;

namespace pw::agent::ui {

void raise_below_dialogs(QWidget& window);

}  // namespace pw::agent::ui
