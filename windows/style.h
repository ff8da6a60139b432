#pragma once
// The one place of the program's look: a readable font, the characters' colours, big
// round buttons with drawn icons, and Pellwick's face as every window's icon. Set once
// at start-up; windows only say what kind of action a button is (its role).

#include <QIcon>
#include <QString>

class QAbstractButton;
class QApplication;
class QWidget;

namespace pw::windows::style {

// Font, palette, style sheet and window icon for the whole program.
void apply(QApplication& app);

// Pellwick's face.
QIcon program_icon();
// One of the drawn icons ("play", "stop", "broom", "folder", "help", "back",
// "forward", "home", and the sound windows' "microphone", "note", ...).
QIcon icon(const QString& name);

// The colour of the button's kind of action: "main" (Play), "secondary" (File),
// "stop" (Cancel) or "" (plain); its icon; its caption as its accessible name.
void dress_button(QAbstractButton* button, const char* role, const QString& icon_name);
// Marks a window for the style sheet: the balloon's cream behind everything in it.
void dress(QWidget* window);
// Marks a state the look shows (the recording time while recording).
void set_state(QWidget* widget, const char* state, bool on);

// The style sheet, for checking its colours.
QString style_sheet();

}  // namespace pw::windows::style
