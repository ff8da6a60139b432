#pragma once
// One listening period of a character: it starts with Listen(True) and ends when a
// command is heard, when nothing is said for a while, or with Listen(False); the end
// raises ListenComplete with its cause. Without voice input the period just times out.

#include "agent/api/agent_control.h"

#include <QMetaObject>
#include <QStringList>
#include <QTimer>
#include <functional>

namespace pw::voice {
class VoiceInput;
}

namespace pw::agent {

class ListenSession {
public:
    struct Hooks {
        std::function<QStringList()> phrases;                      // enabled voice texts
        std::function<QString(const QString& phrase)> command_for;  // phrase -> command name
        std::function<void(const QString& state)> animate;         // "LISTENING", "HEARING"
        std::function<void()> calm;                                 // end that animation
        std::function<void(const UserInput& input)> heard;          // post Command
        std::function<void(int cause)> ended;                       // post ListenComplete
    };

    ListenSession(voice::VoiceInput* input, int timeout_ms, Hooks hooks);
    ~ListenSession();

    // Starts a period; while one runs this changes nothing.
    void start();
    void stop(int cause);
    bool active() const { return active_; }
    // The commands changed: listen for the new phrases.
    void phrases_changed();

private:
    void disconnect_input();

    voice::VoiceInput* input_;
    int timeout_ms_;
    Hooks hooks_;
    QTimer timeout_;
    QList<QMetaObject::Connection> connections_;
    bool active_ = false;
};

}  // namespace pw::agent
