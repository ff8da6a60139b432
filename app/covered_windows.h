#pragma once
// Our own windows lie under the characters. Without a compositor each change of a
// character's shape uncovers some of their pixels; the X server can keep those itself
// instead of asking the window to paint them again, a few times a second at rest.

#include <QObject>

namespace pw::app {

class CoveredWindows : public QObject {
public:
    // Watches every top-level window of `parent`'s application as it is shown.
    explicit CoveredWindows(QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace pw::app
