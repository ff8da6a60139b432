#include "agent/runtime/character_agent.h"

#include "agent/api/agent_error.h"
#include "agent/runtime/animation_player.h"
#include "agent/runtime/move_job.h"
#include "agent/runtime/request_tracker.h"
#include "agent/runtime/show_hide_jobs.h"
#include "agent/runtime/wait_job.h"
#include "agent/voice/audio_output.h"
#include "platform/core/trace.h"

#include <QCoreApplication>
#include <algorithm>

namespace pw::agent {
namespace {

// Positions and sizes are 16-bit values on the platform.
int to_short(int v) { return std::clamp(v, -32768, 32767); }
int to_size(int v) { return std::clamp(v, 1, 32767); }

QString truth(bool on) { return on ? QStringLiteral("True") : QStringLiteral("False"); }

}  // namespace

CharacterAgent::CharacterAgent(const QString& id, std::shared_ptr<const acs::CharacterData> data,
                               std::unique_ptr<CharacterView> view, Environment environment)
    : id_(id),
      data_(data),
      env_(std::move(environment)),
      body_(std::make_unique<CharacterBody>(
          id, data, std::move(view), env_.options,
          CharacterBody::Hooks{
              [this](const AgentEvent& e) { if (env_.post) env_.post(e); },
              [this] { return !queue_.empty(); },
              [this] { idle_.quiet(); },
          })),
      mouse_(*body_, commands_, [this] { idle_.quiet(); }),
      idle_(env_.options.timings,
            IdleBehaviour::Hooks{
                [this] { return can_idle(); },
                [this](int level, std::function<void()> done) { return play_idle(level, std::move(done)); },
                [this] { body_->post(AgentEvent::simple(AgentEvent::IdleStart, id_)); },
                [this] { body_->post(AgentEvent::simple(AgentEvent::IdleComplete, id_)); },
                [this] { body_->runner().interrupt(); },
            }),
      listen_(env_.options.voice_input, env_.options.timings.listen_timeout_ms,
              ListenSession::Hooks{
                  [this] {
                      QStringList phrases;
                      for (const CommandEntry& c : commands_.entries())
                          if (c.enabled && !c.voice.trimmed().isEmpty()) phrases.append(c.voice);
                      return phrases;
                  },
                  [this](const QString& phrase) {
                      if (phrase.isEmpty()) return QString();
                      for (const CommandEntry& c : commands_.entries())
                          if (c.enabled && c.voice.compare(phrase, Qt::CaseInsensitive) == 0) return c.name;
                      return QString();
                  },
                  [this](const QString& state) { animate_listening(state); },
                  [this] {
                      if (std::exchange(listen_animating_, false)) body_->runner().interrupt();
                  },
                  [this](const UserInput& heard) {
                      UserInput input = heard;
                      input.character_id = id_;
                      body_->post(AgentEvent::command(input));
                  },
                  [this](int cause) { body_->post(AgentEvent::listen_complete(id_, cause)); },
              }),
      speech_output_(std::make_unique<voice::AudioOutput>())
{
    speech_.synthesizer = env_.options.synthesizer;
    speech_.output = speech_output_.get();
    speech_.voice = voice::VoiceSettings::from_character(*data_);
    speech_.has_voice = data_->voice.has_value();
    speech_.program_dir = env_.options.program_dir;
    commands_.set_trace_id(id_);
    commands_.set_on_change([this] { listen_.phrases_changed(); });
    body_->view().set_listener(&mouse_);
    if (const acs::LocalizedInfo* info = data_->info()) language_id_ = info->language_id;
}

CharacterAgent::~CharacterAgent()
{
    // Nothing may reach a character that is going: no new posted calls, and those
    // already posted are dropped below.
    closing_ = true;
    commands_.set_on_change(nullptr);
    body_->view().set_listener(nullptr);
    // The speech output first, so that no sound ends into a request that is going.
    speech_output_->stop();
    if (current_) interrupt_current();
    while (!queue_.empty()) {
        Entry e = std::move(queue_.front());
        queue_.pop_front();
        end_removed(e.request, e.operation);
    }
    finished_jobs_.clear();
    speech_output_.reset();
    QCoreApplication::removePostedEvents(this);
}

QString CharacterAgent::name() const
{
    const QString n = data_->name(uint16_t(language_id_));
    return n.isEmpty() ? id_ : n;
}

void CharacterAgent::trace_request(const QString& operation, const QStringList& args) const
{
    trace::request(id_, operation, args);
}

void CharacterAgent::trace_set(const QString& property, int value) const
{
    trace::request(id_, QStringLiteral("set"), {property, trace::number(value)});
}

void CharacterAgent::set_rect(const QRect& rect) { body_->set_geometry(rect); }

void CharacterAgent::set_left(int x)
{
    trace_set(QStringLiteral("Left"), x);
    QRect r = body_->geometry();
    r.moveLeft(to_short(x));
    set_rect(r);
}

void CharacterAgent::set_top(int y)
{
    trace_set(QStringLiteral("Top"), y);
    QRect r = body_->geometry();
    r.moveTop(to_short(y));
    set_rect(r);
}

void CharacterAgent::set_width(int w)
{
    trace_set(QStringLiteral("Width"), w);
    QRect r = body_->geometry();
    r.setWidth(to_size(w));
    set_rect(r);
}

void CharacterAgent::set_height(int h)
{
    trace_set(QStringLiteral("Height"), h);
    QRect r = body_->geometry();
    r.setHeight(to_size(h));
    set_rect(r);
}

void CharacterAgent::set_language_id(int id)
{
    trace_set(QStringLiteral("LanguageID"), id);
    language_id_ = id;
}

QStringList CharacterAgent::animation_names() const
{
    QStringList names;
    names.reserve(data_->animations.size());
    for (const acs::Animation& a : data_->animations) names.append(a.name);
    return names;
}

void CharacterAgent::set_frame_observer(CharacterBody::FrameObserver observer)
{
    body_->set_frame_observer(std::move(observer));
}

// ---- requests ---------------------------------------------------------------------

Request CharacterAgent::show(bool fast)
{
    trace_request(QStringLiteral("Show"), fast ? QStringList{truth(true)} : QStringList{});
    return enqueue(std::make_unique<ShowJob>(*body_, fast));
}

Request CharacterAgent::hide(bool fast)
{
    trace_request(QStringLiteral("Hide"), fast ? QStringList{truth(true)} : QStringList{});
    return enqueue(std::make_unique<HideJob>(*body_, fast));
}

Request CharacterAgent::play(const QString& animation)
{
    trace_request(QStringLiteral("Play"), {trace::quote(animation)});
    const acs::Animation* a = data_->animation(animation);
    if (!a)
        throw AgentError(error::animation_not_found,
                         QStringLiteral("The character \"%1\" has no animation \"%2\".").arg(id_, animation));
    if (a->frames.isEmpty())
        throw AgentError(error::invalid_animation,
                         QStringLiteral("The animation \"%1\" has no frames.").arg(animation));
    return enqueue(std::make_unique<PlayJob>(body_->runner(), *a));
}

Request CharacterAgent::speak(const QString& text, const QString& url)
{
    QStringList args{trace::quote(text)};
    if (!url.isEmpty()) args.append(trace::quote(url));
    trace_request(QStringLiteral("Speak"), args);
    return enqueue(std::make_unique<SpeakJob>(*body_, speech_, text, url));
}

Request CharacterAgent::think(const QString& text)
{
    trace_request(QStringLiteral("Think"), {trace::quote(text)});
    return enqueue(std::make_unique<ThinkJob>(*body_, text));
}

Request CharacterAgent::move_to(int x, int y, int speed)
{
    trace_request(QStringLiteral("MoveTo"), {trace::number(x), trace::number(y), trace::number(speed)});
    return enqueue(std::make_unique<MoveJob>(*body_, QPoint(to_short(x), to_short(y)), speed));
}

Request CharacterAgent::wait(const Request& other)
{
    trace_request(QStringLiteral("Wait"), {trace::number(other.id())});
    if (!other.is_null() && env_.tracker->owner(other) == id_)
        throw AgentError(error::cant_wait_on_self,
                         QStringLiteral("The character \"%1\" cannot wait for its own request.").arg(id_));
    return enqueue(std::make_unique<WaitJob>(*env_.tracker, other));
}

void CharacterAgent::stop(const Request& request)
{
    trace_request(QStringLiteral("Stop"),
                  request.is_null() ? QStringList{} : QStringList{trace::number(request.id())});
    if (request.is_null()) {
        if (current_) interrupt_current();
        while (!queue_.empty()) {
            Entry e = std::move(queue_.front());
            queue_.pop_front();
            end_removed(e.request, e.operation);
        }
    } else if (current_ && current_->request == request) {
        interrupt_current();
    } else {
        for (auto it = queue_.begin(); it != queue_.end(); ++it) {
            if (it->request == request) {
                Entry e = std::move(*it);
                queue_.erase(it);
                end_removed(e.request, e.operation);
                break;
            }
        }
    }
    schedule_advance();
}

void CharacterAgent::stop_all(const QString& types)
{
    trace_request(QStringLiteral("StopAll"), types.isEmpty() ? QStringList{} : QStringList{trace::quote(types)});
    if (current_ && stop_types_match(types, current_->job->kind())) interrupt_current();
    for (auto it = queue_.begin(); it != queue_.end();) {
        if (!stop_types_match(types, it->job->kind())) {
            ++it;
            continue;
        }
        Entry e = std::move(*it);
        it = queue_.erase(it);
        end_removed(e.request, e.operation);
    }
    schedule_advance();
}

void CharacterAgent::activate(int state)
{
    trace_request(QStringLiteral("Activate"), {trace::number(state)});
    if (state != 0) body_->view().activate();
}

bool CharacterAgent::listen(bool on)
{
    if (on) {
        if (listen_.active()) return true;
        trace_request(QStringLiteral("Listen"), {truth(true)});
        if (env_.listening_started) env_.listening_started(this);
        listen_.start();
        return true;
    }
    trace_request(QStringLiteral("Listen"), {truth(false)});
    listen_.stop(ListenProgramDisabled);
    return true;
}

// ---- the queue --------------------------------------------------------------------

Request CharacterAgent::enqueue(std::unique_ptr<RequestJob> job)
{
    Request request = Request::create();
    env_.tracker->track(request, id_);
    job->set_finish([this, request](Request::Status status, uint32_t error) {
        job_finished(request, status, error);
    });
    const QString operation = job->operation();
    queue_.push_back(Entry{request, operation, std::move(job)});
    listen_animating_ = false;  // requests take the stage from the listening pose
    idle_.disturb();
    if (current_) current_->job->request_waiting();
    schedule_advance();
    return request;
}

void CharacterAgent::schedule_advance()
{
    if (closing_ || std::exchange(advance_posted_, true)) return;
    QMetaObject::invokeMethod(this, [this] { advance(); }, Qt::QueuedConnection);
}

void CharacterAgent::advance()
{
    advance_posted_ = false;
    finished_jobs_.clear();
    if (current_) return;
    if (queue_.empty()) {
        idle_.quiet();
        // Listening that began while it was busy: now it shows that it listens.
        if (listen_.active() && !listen_animating_) animate_listening(QStringLiteral("LISTENING"));
        return;
    }
    current_ = std::move(queue_.front());
    queue_.pop_front();
    current_->request.set_status(Request::InProgress);
    body_->post(AgentEvent::request_event(AgentEvent::RequestStart, id_, current_->request,
                                          current_->operation));
    if (!queue_.empty()) current_->job->request_waiting();
    // The character that acts last stands in front; waiting for another is no act.
    if (current_->job->kind() != RequestKind::Wait) body_->view().bring_forward();
    current_->job->start();
}

void CharacterAgent::job_finished(const Request& request, Request::Status status, uint32_t error)
{
    if (!current_ || current_->request != request) return;
    Entry e = std::move(*current_);
    current_.reset();
    Request r = e.request;
    if (status == Request::Failed) r.fail(error);
    else r.set_status(status);
    finished_jobs_.push_back(std::move(e.job));
    // The event first: whoever waits for this request reports after it.
    body_->post(AgentEvent::request_event(AgentEvent::RequestComplete, id_, r, e.operation));
    env_.tracker->finished(r);
    schedule_advance();
}

void CharacterAgent::interrupt_current()
{
    Entry e = std::move(*current_);
    current_.reset();
    e.job->set_finish(nullptr);
    e.job->interrupt();
    finished_jobs_.push_back(std::move(e.job));
    end_removed(e.request, e.operation);
}

void CharacterAgent::end_removed(const Request& request, const QString& operation)
{
    Request r = request;
    r.set_status(Request::Interrupted);
    body_->post(AgentEvent::request_event(AgentEvent::RequestComplete, id_, r, operation));
    env_.tracker->finished(r);
}

// ---- idling and listening ---------------------------------------------------------

bool CharacterAgent::can_idle() const
{
    return body_->visible() && !current_ && queue_.empty() && !body_->runner().busy() && !mouse_.dragging();
}

bool CharacterAgent::play_idle(int level, std::function<void()> done)
{
    for (int l = level; l >= 1; --l) {
        const acs::Animation* a = body_->state_animation(QStringLiteral("IDLINGLEVEL%1").arg(l));
        if (!a) continue;
        listen_animating_ = false;
        body_->runner().run(*a, AnimationRunner::Owner{std::move(done), {}, false});
        return true;
    }
    return false;
}

void CharacterAgent::animate_listening(const QString& state)
{
    // Only a character with nothing else to do shows that it listens.
    if (current_ || !queue_.empty() || !body_->visible()) return;
    const acs::Animation* a = body_->state_animation(state);
    if (!a) return;
    idle_.disturb();
    listen_animating_ = true;
    body_->runner().run(*a, AnimationRunner::Owner{[this] { listen_animating_ = false; }, {}, false});
}

}  // namespace pw::agent
