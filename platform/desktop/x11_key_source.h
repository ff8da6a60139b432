#pragma once
// Global keys from an X server: XInput 2 raw key events on the root window, read on a
// connection of our own whenever its socket has data. Raw events see every key
// whichever window has the focus and cannot take a key away from it. While no handler
// is installed the events are deselected, so the server sends nothing and the idle
// program does no work for keys.

#include "platform/core/key_source.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <deque>
#include <memory>

class QSocketNotifier;

namespace pw::platform {

class X11KeySource final : public QObject, public pw::platform::KeySource {
public:
    // Connects to the named display (the DISPLAY variable when empty). Null, with the
    // reason in why_not, when there is no server or it lacks XInput 2.
    static std::unique_ptr<X11KeySource> open(const QByteArray& display_name, QString* why_not);
    ~X11KeySource() override;

    void install(Handler handler) override;
    void remove() override;
    bool installed() const override { return installed_; }

private:
    struct Connection;
    explicit X11KeySource(std::unique_ptr<Connection> connection);

    void read_server();
    // Takes the events Xlib has (reading the socket too when from_socket); key events
    // are kept only while installed.
    void read_events(bool from_socket);
    void deliver_queued();

    std::unique_ptr<Connection> x_;
    QSocketNotifier* notifier_ = nullptr;
    Handler handler_;
    std::deque<pw::platform::KeyEvent> queue_;
    bool installed_ = false;
    bool delivering_ = false;
};

}  // namespace pw::platform
