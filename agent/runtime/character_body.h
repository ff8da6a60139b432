#pragma once
// The playing state of one character: its window, the frame on it, the animation
// runner, the balloon, where it stands, whether it is visible. Loaded data stays in
// the shared CharacterData; everything here changes while the character plays.

#include "agent/acs/character_data.h"
#include "agent/acs/wav_audio.h"
#include "agent/runtime/agent_event.h"
#include "agent/runtime/animation_player.h"
#include "agent/runtime/balloon_keeper.h"
#include "agent/runtime/character_view.h"
#include "agent/runtime/frame_presenter.h"
#include "agent/runtime/runtime_options.h"

#include <QHash>
#include <QRect>
#include <QSet>
#include <functional>
#include <memory>
#include <random>

namespace pw::voice {
class AudioOutput;
}

namespace pw::agent {

class CharacterBody {
public:
    struct Hooks {
        std::function<void(const AgentEvent&)> post;
        std::function<bool()> someone_waiting;  // requests are queued
        std::function<void()> became_still;     // no animation plays any more
    };
    using FrameObserver = std::function<void(qint64 planned_ns, qint64 shown_ns)>;

    CharacterBody(const QString& id, std::shared_ptr<const acs::CharacterData> data,
                  std::unique_ptr<CharacterView> view, const RuntimeOptions& options, Hooks hooks);
    ~CharacterBody();
    CharacterBody(const CharacterBody&) = delete;
    CharacterBody& operator=(const CharacterBody&) = delete;

    const QString& id() const { return id_; }
    const acs::CharacterData& data() const { return *data_; }
    const RuntimeTimings& timings() const { return timings_; }
    CharacterView& view() { return *view_; }
    FramePresenter& presenter() { return presenter_; }
    AnimationRunner& runner() { return runner_; }
    BalloonKeeper& balloon() { return balloon_; }

    bool visible() const { return visible_; }
    // Shows or hides the window (hiding also closes the balloon). Before the first
    // frame of an animation is known, the rest frame is shown.
    void set_visible(bool on);
    QRect geometry() const { return geometry_; }
    void set_geometry(const QRect& rect);
    void move_to(QPoint top_left) { set_geometry(QRect(top_left, geometry_.size())); }

    void post(const AgentEvent& event);
    void post_move(int cause);

    // A random animation of the state (case ignored); null when it has none that exists.
    const acs::Animation* state_animation(const QString& state);
    // Shows the rest frame unless some frame is on screen already.
    void ensure_frame();
    int roll(int lo, int hi);
    void set_frame_observer(FrameObserver observer) { frame_observer_ = std::move(observer); }

private:
    void play_sound(int index);

    QString id_;
    std::shared_ptr<const acs::CharacterData> data_;
    std::unique_ptr<CharacterView> view_;
    RuntimeTimings timings_;
    Hooks hooks_;
    std::mt19937 random_;
    FramePresenter presenter_;
    BalloonKeeper balloon_;
    AnimationRunner runner_;
    std::unique_ptr<voice::AudioOutput> effects_;
    QHash<int, acs::PcmAudio> decoded_sounds_;
    QSet<int> bad_sounds_;
    FrameObserver frame_observer_;
    QRect geometry_;
    bool visible_ = false;
};

// The frame the character shows when nothing plays:
// the first shown frame of the Speaking state's animation, of "RestPose", or of the
// first animation.
const acs::Frame* rest_frame(const acs::CharacterData& data);

}  // namespace pw::agent
