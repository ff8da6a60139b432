#pragma once
// Keys typed into this program's own windows, for desktops whose server gives no
// global keys. An application-wide event filter, present only while installed, turns
// each key press and release into a virtual-key code; it never accepts the event, so
// the window still gets its key.

#include "platform/core/key_source.h"

#include <QObject>

namespace pw::platform {

class WindowKeySource final : public QObject, public pw::platform::KeySource {
public:
    WindowKeySource();
    ~WindowKeySource() override;

    void install(Handler handler) override;
    void remove() override;
    bool installed() const override { return installed_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Handler handler_;
    bool installed_ = false;
};

}  // namespace pw::platform
