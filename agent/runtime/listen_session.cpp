#include "agent/runtime/listen_session.h"

#include "agent/voice/voice_input.h"

namespace pw::agent {

ListenSession::ListenSession(voice::VoiceInput* input, int timeout_ms, Hooks hooks)
    : input_(input), timeout_ms_(timeout_ms), hooks_(std::move(hooks))
{
    timeout_.setSingleShot(true);
    QObject::connect(&timeout_, &QTimer::timeout, &timeout_, [this] { stop(ListenTimeout); });
}

ListenSession::~ListenSession()
{
    if (active_ && input_) input_->stop();
    disconnect_input();
}

void ListenSession::start()
{
    if (active_) return;
    active_ = true;
    timeout_.start(timeout_ms_);
    hooks_.animate(QStringLiteral("LISTENING"));
    if (!input_) return;
    connections_.append(QObject::connect(input_, &voice::VoiceInput::speech_started, &timeout_, [this] {
        // Someone talks: give the recogniser a fresh period to finish, never for ever.
        timeout_.start(timeout_ms_);
        hooks_.animate(QStringLiteral("HEARING"));
    }));
    connections_.append(QObject::connect(input_, &voice::VoiceInput::heard, &timeout_,
                                         [this](const QString& phrase) {
        UserInput input;
        input.name = hooks_.command_for(phrase);
        input.voice = phrase;
        input.confidence = input.name.isEmpty() ? 0 : 100;
        hooks_.heard(input);
        stop(ListenUserSpoke);
    }));
    connections_.append(QObject::connect(input_, &voice::VoiceInput::nothing_heard, &timeout_,
                                         [this] { stop(ListenTimeout); }));
    input_->start(hooks_.phrases());
}

void ListenSession::stop(int cause)
{
    if (!active_) return;
    active_ = false;
    timeout_.stop();
    disconnect_input();
    if (input_) input_->stop();
    hooks_.calm();
    hooks_.ended(cause);
}

void ListenSession::phrases_changed()
{
    if (active_ && input_) input_->start(hooks_.phrases());
}

void ListenSession::disconnect_input()
{
    for (const QMetaObject::Connection& c : std::as_const(connections_)) QObject::disconnect(c);
    connections_.clear();
}

}  // namespace pw::agent
