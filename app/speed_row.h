#pragma once
// The Script window's speed choice, below Play: Fast, Slow or Step by step, and the
// Step button, shown only with the last. It sets the speed of the run (a run under way
// takes it at its next line) and passes Step on to the window.

#include "engine/run_state.h"

#include <QWidget>

class QPushButton;

namespace pw::app {

class SpeedRow : public QWidget {
    Q_OBJECT
public:
    SpeedRow(pw::engine::RunState& state, QWidget* parent);

    QPushButton* fast = nullptr;
    QPushButton* slow = nullptr;
    QPushButton* step_by_step = nullptr;
    QPushButton* step = nullptr;

    void set_speed(pw::engine::RunSpeed speed);

signals:
    void step_clicked();

private:
    pw::engine::RunState& state_;
};

}  // namespace pw::app
