#pragma once
// How the sound library and the recorder take part in the program's style (set once
// for the whole program, app/style): the window is marked, a button says what kind of
// action it is (its role) and the style picks the colour.

#include <QIcon>
#include <QString>

class QAbstractButton;
class QWidget;

namespace pw::media::look {

enum class Role { main, secondary, stop };

// Marks the window for the style: the balloon's cream behind everything in it.
void dress(QWidget* window);
// The colour of the button's kind of action, its icon, and its caption as its
// accessible name.
void dress_button(QAbstractButton* button, Role role, const QString& icon_name);
// Marks a state the look shows (the recording time while recording).
void set_state(QWidget* widget, const char* state, bool on);
// One of our drawn icons ("microphone", "tick", "cross", "speaker", "pencil", "note").
QIcon icon(const QString& name);

}  // namespace pw::media::look
