#pragma once
// Shared pieces of the runtime tests: a tiny synthetic character whose frames can be
// told apart by colour, a view that records what it is asked to show, and the trace
// lines of delivered events.

#include "agent/acs/character_data.h"
#include "agent/runtime/agent_platform.h"
#include "agent/runtime/character_view.h"

#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace pw::test {

// Every frame shows one solid colour whose red value is its tag; a mouth overlay puts
// the colour 200 + shape on the top-left pixel.
struct CharacterSketch {
    acs::CharacterData data;

    CharacterSketch();
    // A frame of `tag` lasting `hundredths`; the last argument lists its mouths.
    static acs::Frame frame(int tag, int hundredths, QList<acs::Branch> branches = {},
                            int exit_frame = acs::exit_none);
    acs::Frame& add_mouths(acs::Frame& f);
    acs::Animation& animation(const QString& name, QList<acs::Frame> frames,
                              acs::Transition transition = acs::Transition::None,
                              const QString& return_animation = {});
    void state(const QString& name, QStringList animations);
    std::shared_ptr<const acs::CharacterData> share() const;

private:
    int image_for(int palette_index, int size);
};

// The standard test character: RestPose (speaking, tag 1), Show (10, 11), Hide (20, 21),
// Wave (30-32), Gesture (type 1, pose 41 with mouths, exit 42), Loop (50, 51 looping,
// 52 on the way out), Back (60, returns through BackReturn 61), Move* (travel loops),
// Blink (90, 98), Fidget (91, 99), Sleep (92, 93 looping, 94 waking), Alert (95), Hearing (96).
CharacterSketch standard_character();

class RecordingView : public agent::CharacterView {
public:
    struct Balloon {
        agent::BalloonKind kind = agent::BalloonKind::Speech;
        QString text;
    };

    RecordingView() { ++alive; }
    ~RecordingView() override
    {
        --alive;
        if (when_closed) when_closed();
    }
    static inline int alive = 0;
    // Runs while the window is destroyed (some windows and devices let events run then).
    std::function<void()> when_closed;

    void set_listener(agent::CharacterViewListener* l) override { listener = l; }
    void set_frame(const QImage& frame) override;
    void set_geometry(const QRect& r) override { geometry = r; geometries.append(r); }
    void set_visible(bool on) override
    {
        if (on && !visible) frames_when_shown = int(tags.size());
        visible = on;
    }
    void show_balloon(agent::BalloonKind kind, const QString& text, const acs::BalloonInfo&) override;
    void reveal_balloon_text(int chars) override { reveals.append(chars); }
    void hide_balloon() override;
    void show_menu(const QList<agent::CommandEntry>& entries, QPoint) override { menus.append(entries); }
    void activate() override { ++activations; }
    void bring_forward() override { ++forwards; }

    // Tags shown since the last call.
    QList<int> take_tags();

    agent::CharacterViewListener* listener = nullptr;
    QList<int> tags;        // frame tag of every set_frame
    QList<int> mouths;      // -1, or the mouth shape, of every set_frame
    QList<QSize> frame_sizes;
    QRect geometry;
    QList<QRect> geometries;
    bool visible = false;
    int frames_when_shown = -1;  // frames set before the window last appeared
    std::optional<Balloon> balloon;
    QStringList balloon_log;  // "show Speech <text>", "hide"
    QList<int> reveals;
    QList<QList<agent::CommandEntry>> menus;
    int activations = 0;
    int forwards = 0;

private:
    int taken_ = 0;
};

// Makes platforms whose views are recorded; one test, one fixture.
struct RuntimeFixture {
    RuntimeFixture();
    ~RuntimeFixture();

    static agent::RuntimeOptions quick_options();
    agent::AgentPlatform& platform(agent::RuntimeOptions options = quick_options());
    // Loads the standard character (or `sketch`) as `id`, lets the load finish.
    agent::Character* load(const QString& id, const CharacterSketch& sketch = standard_character());
    RecordingView* view(int index = 0) const { return views.value(index); }
    RecordingView* last_view() const { return views.isEmpty() ? nullptr : views.last(); }

    // Trace lines ("event ..." and "request ..."), without the "pw <ms> " prefix.
    static QStringList& lines();
    static QStringList events();
    static QStringList events_named(const QString& name);
    static void clear_lines() { lines().clear(); }

    QList<RecordingView*> views;
    std::unique_ptr<agent::AgentPlatform> owned;
};

// Waits with the event loop running until `condition` holds or `ms` pass.
bool wait_until(const std::function<bool()>& condition, int ms = 3000);
// Waits until the request has ended (any way), or has ended complete.
bool ends(const agent::Request& r, int ms = 3000);
bool completes(const agent::Request& r, int ms = 3000);
// Runs the event loop for `ms`.
void spin(int ms);

}  // namespace pw::test
