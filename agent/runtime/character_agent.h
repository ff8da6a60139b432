#pragma once
// One loaded character as programs see it: a FIFO queue of requests worked through
// while the event loop runs, idling when nothing is asked, listening for commands,
// and the user's mouse on its window (user_mouse.h). Events go to the platform, which
// delivers them later from the event loop.
//
// Choices worth knowing:
// - Requests start from the event loop, never inside the call that queued them.
// - A hidden character's MoveTo jumps; Play, Speak and Think work while hidden (no
//   balloon is shown then).
// - Setting Left/Top/Width/Height moves or scales at once and raises no Move event;
//   Move events come from user drags (cause 1) and from MoveTo (cause 2).
// - Click, DblClick and DragComplete carry screen coordinates.
// - The trace leaves out default arguments (Show, Hide without "fast") and writes
//   "Listen True" only when a listening period starts.

#include "agent/acs/character_data.h"
#include "agent/api/character.h"
#include "agent/runtime/character_body.h"
#include "agent/runtime/character_view.h"
#include "agent/runtime/idle_behaviour.h"
#include "agent/runtime/listen_session.h"
#include "agent/runtime/request_job.h"
#include "agent/runtime/runtime_options.h"
#include "agent/runtime/speech_jobs.h"
#include "agent/runtime/user_mouse.h"

#include <QObject>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace pw::voice {
class AudioOutput;
}

namespace pw::agent {

class RequestTracker;

class CharacterAgent : public QObject, public Character {
    Q_OBJECT
public:
    struct Environment {
        RuntimeOptions options;          // synthesizer and program folder filled in
        RequestTracker* tracker = nullptr;
        std::function<void(const AgentEvent&)> post;
        std::function<void(CharacterAgent*)> listening_started;  // others stop listening
    };

    CharacterAgent(const QString& id, std::shared_ptr<const acs::CharacterData> data,
                   std::unique_ptr<CharacterView> view, Environment environment);
    ~CharacterAgent() override;

    QString id() const override { return id_; }
    QString name() const override;
    bool visible() const override { return body_->visible(); }
    int left() const override { return body_->geometry().left(); }
    int top() const override { return body_->geometry().top(); }
    int width() const override { return body_->geometry().width(); }
    int height() const override { return body_->geometry().height(); }
    void set_left(int x) override;
    void set_top(int y) override;
    void set_width(int w) override;
    void set_height(int h) override;

    Request show(bool fast = false) override;
    Request hide(bool fast = false) override;
    Request play(const QString& animation) override;
    Request speak(const QString& text, const QString& url = {}) override;
    Request think(const QString& text) override;
    Request move_to(int x, int y, int speed = 1000) override;
    Request wait(const Request& other) override;
    void stop(const Request& request = {}) override;
    void stop_all(const QString& types = {}) override;
    void activate(int state = 1) override;
    bool listen(bool on) override;
    int language_id() const override { return language_id_; }
    void set_language_id(int id) override;
    QStringList animation_names() const override;
    Commands& commands() override { return commands_; }

    bool listening() const { return listen_.active(); }
    void end_listening(int cause) { listen_.stop(cause); }
    bool idling() const { return idle_.idling(); }
    const acs::CharacterData& data() const { return *data_; }
    // For timing measurements: called for every frame shown (planned and actual time
    // in ns on the animation's clock).
    void set_frame_observer(CharacterBody::FrameObserver observer);

private:
    struct Entry {
        Request request;
        QString operation;
        std::unique_ptr<RequestJob> job;
    };

    Request enqueue(std::unique_ptr<RequestJob> job);
    void schedule_advance();
    void advance();
    void job_finished(const Request& request, Request::Status status, uint32_t error);
    void interrupt_current();
    void end_removed(const Request& request, const QString& operation);
    bool can_idle() const;
    bool play_idle(int level, std::function<void()> done);
    void animate_listening(const QString& state);
    void trace_request(const QString& operation, const QStringList& args = {}) const;
    void trace_set(const QString& property, int value) const;
    void set_rect(const QRect& rect);

    QString id_;
    std::shared_ptr<const acs::CharacterData> data_;
    Environment env_;
    std::unique_ptr<CharacterBody> body_;  // the last to go: everything else uses it
    SpeechServices speech_;
    Commands commands_;
    UserMouse mouse_;
    IdleBehaviour idle_;
    ListenSession listen_;
    std::deque<Entry> queue_;
    std::optional<Entry> current_;
    std::vector<std::unique_ptr<RequestJob>> finished_jobs_;  // freed from the event loop
    int language_id_ = 0x0409;
    bool advance_posted_ = false;
    bool listen_animating_ = false;
    bool closing_ = false;
    // Declared last, so the first to go: requests and jobs that use it are gone before.
    std::unique_ptr<voice::AudioOutput> speech_output_;
};

}  // namespace pw::agent
