#include "agent/runtime/character_body.h"

#include "agent/api/agent_error.h"
#include "agent/voice/audio_output.h"

#include <QRandomGenerator>
#include <QtDebug>

namespace pw::agent {
namespace {

const acs::Frame* first_shown_frame(const acs::Animation* animation)
{
    if (!animation) return nullptr;
    for (const acs::Frame& f : animation->frames)
        if (f.duration > 0) return &f;
    return animation->frames.isEmpty() ? nullptr : &animation->frames.first();
}

}  // namespace

const acs::Frame* rest_frame(const acs::CharacterData& data)
{
    if (const acs::State* speaking = data.state(QStringLiteral("SPEAKING"))) {
        for (const QString& name : speaking->animations)
            if (const acs::Frame* f = first_shown_frame(data.animation(name))) return f;
    }
    if (const acs::Frame* f = first_shown_frame(data.animation(QStringLiteral("RestPose")))) return f;
    for (const acs::Animation& a : data.animations)
        if (const acs::Frame* f = first_shown_frame(&a)) return f;
    return nullptr;
}

CharacterBody::CharacterBody(const QString& id, std::shared_ptr<const acs::CharacterData> data,
                             std::unique_ptr<CharacterView> view, const RuntimeOptions& options,
                             Hooks hooks)
    : id_(id),
      data_(std::move(data)),
      view_(std::move(view)),
      timings_(options.timings),
      hooks_(std::move(hooks)),
      random_(options.random_seed ? *options.random_seed : QRandomGenerator::global()->generate()),
      presenter_(*data_, *view_),
      balloon_(*view_, timings_.balloon_linger_ms,
               [this] { post(AgentEvent::simple(AgentEvent::BalloonHide, id_)); }),
      runner_(*data_, presenter_,
              AnimationRunner::Hooks{
                  [this](int sound) { play_sound(sound); },
                  [this] { return hooks_.someone_waiting && hooks_.someone_waiting(); },
                  [this] { if (hooks_.became_still) hooks_.became_still(); },
                  [this](qint64 planned, qint64 shown) {
                      if (frame_observer_) frame_observer_(planned, shown);
                  },
              },
              [this](int lo, int hi) { return roll(lo, hi); }),
      effects_(std::make_unique<voice::AudioOutput>()),
      geometry_(0, 0, data_->width, data_->height)
{
    view_->set_geometry(geometry_);
}

CharacterBody::~CharacterBody()
{
    runner_.halt();
    effects_->stop();
    view_->set_listener(nullptr);
}

void CharacterBody::set_visible(bool on)
{
    if (on) ensure_frame();
    else balloon_.hide_now();
    visible_ = on;
    view_->set_visible(on);
}

void CharacterBody::set_geometry(const QRect& rect)
{
    if (rect == geometry_) return;
    geometry_ = rect;
    view_->set_geometry(rect);
}

void CharacterBody::post(const AgentEvent& event)
{
    if (hooks_.post) hooks_.post(event);
}

void CharacterBody::post_move(int cause)
{
    post(AgentEvent::move(id_, geometry_.left(), geometry_.top(), cause));
}

const acs::Animation* CharacterBody::state_animation(const QString& state)
{
    const acs::State* s = data_->state(state);
    if (!s) return nullptr;
    QList<const acs::Animation*> choices;
    for (const QString& name : s->animations) {
        const acs::Animation* a = data_->animation(name);
        if (a && !a->frames.isEmpty()) choices.append(a);
    }
    if (choices.isEmpty()) return nullptr;
    return choices[roll(0, int(choices.size()) - 1)];
}

void CharacterBody::ensure_frame()
{
    if (presenter_.frame()) return;
    if (const acs::Frame* f = rest_frame(*data_)) presenter_.show(*f);
}

int CharacterBody::roll(int lo, int hi)
{
    return std::uniform_int_distribution<int>(lo, hi)(random_);
}

void CharacterBody::play_sound(int index)
{
    if (index < 0 || index >= data_->sounds.size() || bad_sounds_.contains(index)) return;
    auto it = decoded_sounds_.find(index);
    if (it == decoded_sounds_.end()) {
        try {
            it = decoded_sounds_.insert(index, acs::decode_wav(data_->sounds[index].wav));
        } catch (const AgentError& e) {
            qWarning("Sound %d of character \"%s\" cannot be played: %s", index,
                     qPrintable(id_), e.what());
            bad_sounds_.insert(index);
            return;
        }
    }
    effects_->start(it.value(), int(it.value().duration_ms()));
}

}  // namespace pw::agent
