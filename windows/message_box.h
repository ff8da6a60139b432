#pragma once
// Every message box of the program goes through here: titled "Pellworks", an OK
// button, and the text also written to the trace. A box
// stands on top with the characters (which are always-on-top windows) and away from
// them, so that no character hides it or the button a child has to press.

#include <QList>
#include <QRect>
#include <QString>

#include <functional>

class QWidget;

namespace pw::windows {

inline const QString program_title = QStringLiteral("Pellworks");

// Waits until the box is closed: only for a character that could not be loaded
// outside a run (at start-up above all), where nothing goes on before it is read.
void message_box(const QString& text, QWidget* parent = nullptr);
// The same without waiting: returns at once, and `closed` runs once the box is closed.
// A script run shows its messages so.
void open_message_box(const QString& text, QWidget* parent, std::function<void()> closed);

// Where the characters stand on the screen now (screen pixels), for boxes to keep
// clear of; the stage tells while it exists. An empty function: nothing to avoid.
void set_message_box_keep_clear(std::function<QList<QRect>()> characters);

// Tests: hand the text to `hook` instead of showing the modal box; an empty hook
// shows boxes again.
void set_message_box_hook(std::function<void(const QString& text)> hook);

}  // namespace pw::windows
