#include "media/window_look.h"

#include <QAbstractButton>
#include <QStyle>
#include <QVariant>
#include <QWidget>

namespace pw::media::look {

namespace {

// Ink #1f2545 on every background below keeps a contrast of 5.9:1 or more.
const char* const style_sheet = R"(
QWidget#pw_window { background: #fff1d0; }
QWidget { font-family: "DejaVu Sans"; font-size: 11pt; color: #1f2545; }
QPushButton {
    min-height: 40px; padding: 2px 12px; font-weight: bold;
    border: 2px solid #1f2545; border-radius: 12px; background: #fffbe6;
}
QPushButton[role="main"] { background: #45b0d8; }
QPushButton[role="main"]:hover { background: #8ad3ee; }
QPushButton[role="secondary"] { background: #ff9838; }
QPushButton[role="secondary"]:hover { background: #ffb370; }
QPushButton[role="stop"] { background: #ff8fab; }
QPushButton[role="stop"]:hover { background: #ffb3c6; }
QPushButton:pressed { padding-top: 4px; }
QPushButton:focus { border: 3px solid #3490bd; }
QPushButton[role="main"]:focus { border: 3px solid #1f2545; }
QPushButton:disabled { background: #ece8dc; color: #6b6f86; border-color: #b8b4a8; }
QLineEdit {
    background: #fffbe6; border: 2px solid #1f2545; border-radius: 8px;
    padding: 4px 6px; min-height: 26px; font-size: 12pt;
    selection-background-color: #8ad3ee; selection-color: #1f2545;
}
QLineEdit:focus { border-color: #3490bd; }
QListWidget {
    background: #fffbe6; border: 2px solid #1f2545; border-radius: 8px; font-size: 12pt;
    padding: 2px;
}
QListWidget::item { padding: 3px 6px; border-radius: 6px; }
QListWidget::item:selected { background: #45b0d8; color: #1f2545; }
QListWidget:focus { border-color: #3490bd; }
QGroupBox {
    font-weight: bold; border: 2px solid #ff9838; border-radius: 10px;
    margin-top: 0.8em; padding: 8px 6px 6px 6px;
}
QGroupBox::title { subcontrol-origin: margin; left: 10px; padding: 0 4px; }
QRadioButton { spacing: 6px; min-height: 30px; }
QLabel[recording="true"] { font-weight: bold; color: #a8203f; }
QToolTip { color: #1f2545; background: #ffd23f; border: 1px solid #1f2545; }
)";

const char* role_name(Role role)
{
    switch (role) {
    case Role::main: return "main";
    case Role::secondary: return "secondary";
    case Role::stop: return "stop";
    }
    return "main";
}

}  // namespace

void dress(QWidget* window)
{
    window->setObjectName(QStringLiteral("pw_window"));
    window->setAttribute(Qt::WA_StyledBackground);
    window->setStyleSheet(QString::fromLatin1(style_sheet));
}

void dress_button(QAbstractButton* button, Role role, const QString& icon_name)
{
    button->setProperty("role", QString::fromLatin1(role_name(role)));
    button->setIcon(icon(icon_name));
    button->setIconSize(QSize(26, 26));
    button->setAccessibleName(button->text().remove(QLatin1Char('&')));
}

void set_state(QWidget* widget, const char* state, bool on)
{
    if (widget->property(state).toBool() == on) return;
    widget->setProperty(state, on);
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
}

QIcon icon(const QString& name)
{
    return QIcon(QStringLiteral(":/pellworks/icons/") + name + QStringLiteral(".svg"));
}

}  // namespace pw::media::look
