#pragma once
// Writes down what a character view reports, one line per call, for comparing with
// the expected sequence.

#include "agent/runtime/character_view.h"

#include <QPoint>
#include <QString>
#include <QStringList>

class RecordingViewListener : public pw::agent::CharacterViewListener {
public:
    QStringList calls;
    QPoint last_drag;
    QPoint menu_pos;

    void view_clicked(int button, int shift, QPoint pos) override
    {
        calls << QStringLiteral("clicked %1 %2 %3,%4").arg(button).arg(shift).arg(pos.x()).arg(pos.y());
    }
    void view_double_clicked(int button, int shift, QPoint pos) override
    {
        calls << QStringLiteral("double %1 %2 %3,%4").arg(button).arg(shift).arg(pos.x()).arg(pos.y());
    }
    void view_dragged(QPoint top_left) override
    {
        if (calls.isEmpty() || calls.last() != QLatin1String("dragged"))
            calls << QStringLiteral("dragged");
        last_drag = top_left;
    }
    void view_drag_finished(int button, int shift, QPoint) override
    {
        calls << QStringLiteral("drag finished %1 %2").arg(button).arg(shift);
    }
    void view_command_chosen(const QString& name) override { calls << QStringLiteral("command ") + name; }
    void view_menu_requested(QPoint global_pos) override
    {
        calls << QStringLiteral("menu");
        menu_pos = global_pos;
    }
};
