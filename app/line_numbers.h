#pragma once
// The narrow margin beside the script with the line numbers, counted from 1 as the
// spelling message counts them. The editor paints it; this widget only asks.

#include <QWidget>

namespace pw::app {

class ScriptEdit;

class LineNumbers : public QWidget {
public:
    explicit LineNumbers(ScriptEdit& edit);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ScriptEdit& edit_;
};

}  // namespace pw::app
