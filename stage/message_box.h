#pragma once
// Every message box of the program goes through here: titled "Pellworks", an OK
// button, and the text also written to the trace.

#include <QString>

#include <functional>

class QWidget;

namespace pw::stage {

inline const QString program_title = QStringLiteral("Pellworks");

void message_box(const QString& text, QWidget* parent = nullptr);

// Tests: hand the text to `hook` instead of showing the modal box; an empty hook
// shows boxes again.
void set_message_box_hook(std::function<void(const QString& text)> hook);

}  // namespace pw::stage
