#include "app/speed_row.h"

#include "windows/style.h"
#include "windows/twips.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>

namespace pw::app {

using pw::engine::RunSpeed;
using pw::windows::twips_to_px_x;
using pw::windows::twips_to_px_y;

SpeedRow::SpeedRow(pw::engine::RunState& state, QWidget* parent) : QWidget(parent), state_(state)
{
    fast = new QPushButton(QStringLiteral("Fast"), this);
    slow = new QPushButton(QStringLiteral("Slow"), this);
    step_by_step = new QPushButton(QStringLiteral("Step by step"), this);
    step = new QPushButton(QStringLiteral("Step"), this);
    auto* speeds = new QButtonGroup(this);
    for (QPushButton* b : {fast, slow, step_by_step}) {
        b->setAccessibleName(b->text());
        b->setCheckable(true);
        speeds->addButton(b);
    }
    fast->setToolTip(QStringLiteral("Play the script at full speed"));
    slow->setToolTip(QStringLiteral("Play the script slowly, with a little rest before each line"));
    step_by_step->setToolTip(QStringLiteral("Play one line each time you press Step"));
    windows::style::dress_button(step, "main", QStringLiteral("forward"));
    step->setToolTip(QStringLiteral("Run the marked line"));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(twips_to_px_x(135, this), twips_to_px_y(60, this), twips_to_px_x(135, this), 0);
    for (QWidget* w : std::initializer_list<QWidget*>{fast, slow, step_by_step, step}) row->addWidget(w);
    row->addStretch(1);
    set_speed(state_.options.speed);

    connect(fast, &QPushButton::clicked, this, [this] { set_speed(RunSpeed::full); });
    connect(slow, &QPushButton::clicked, this, [this] { set_speed(RunSpeed::slow); });
    connect(step_by_step, &QPushButton::clicked, this, [this] { set_speed(RunSpeed::step); });
    connect(step, &QPushButton::clicked, this, &SpeedRow::step_clicked);
}

void SpeedRow::set_speed(RunSpeed speed)
{
    // A run under way takes it at its next line; one waiting for Step goes on.
    state_.options.speed = speed;
    fast->setChecked(speed == RunSpeed::full);
    slow->setChecked(speed == RunSpeed::slow);
    step_by_step->setChecked(speed == RunSpeed::step);
    step->setVisible(speed == RunSpeed::step);
    state_.wake_run();
}

}  // namespace pw::app
