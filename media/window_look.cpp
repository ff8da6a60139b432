#include "media/window_look.h"

#include <QAbstractButton>
#include <QStyle>
#include <QVariant>
#include <QWidget>

namespace pw::media::look {

namespace {

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
    // The program's style (app/style) gives every window marked so the balloon's cream.
    window->setAttribute(Qt::WA_StyledBackground);
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
