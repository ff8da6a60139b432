#pragma once
// Text cursors stop blinking once nobody has typed or clicked for a while, and stay
// shown, as desktops do: at rest each blink would repaint the Script window twice a
// second. A key, a click or a change of focus makes them blink again at once.

#include <QObject>
#include <QTimer>

namespace pw::app {

class CursorRest : public QObject {
    Q_OBJECT
public:
    explicit CursorRest(QObject* parent = nullptr, int rest_after_ms = 10000);
    ~CursorRest() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void wake();

    QTimer rest_;
    int flash_time_;  // the desktop's blink, kept while the cursors rest
    bool resting_ = false;
};

}  // namespace pw::app
