#include "runtime_test_support.h"

#include "platform/core/trace.h"

#include <QRegularExpression>
#include <QTest>

namespace pw::test {
namespace {

constexpr int frame_side = 8;
constexpr int mouth_base = 200;

}  // namespace

CharacterSketch::CharacterSketch()
{
    data.width = frame_side;
    data.height = frame_side;
    data.transparent_index = 0;
    for (int i = 0; i < 256; ++i) data.palette.append(qRgb(i, 7, 9));
    data.localized.append(acs::LocalizedInfo{0x0409, QStringLiteral("Sketchy"), {}, {}});
    data.localized.append(acs::LocalizedInfo{0x0407, QStringLiteral("Skizze"), {}, {}});
    data.voice = acs::VoiceInfo{};
    data.balloon = acs::BalloonInfo{};
}

int CharacterSketch::image_for(int palette_index, int size)
{
    acs::Image img;
    img.width = size;
    img.height = size;
    img.pixels = QByteArray(img.stride() * size, char(palette_index));
    data.images.append(img);
    return int(data.images.size()) - 1;
}

acs::Frame CharacterSketch::frame(int tag, int hundredths, QList<acs::Branch> branches, int exit_frame)
{
    acs::Frame f;
    // The image is made when the frame joins an animation (it needs the sketch).
    f.images.append(acs::FrameImage{uint32_t(tag), 0, 0});
    f.duration = uint16_t(hundredths);
    f.branches = branches;
    f.exit_frame = int16_t(exit_frame);
    return f;
}

acs::Frame& CharacterSketch::add_mouths(acs::Frame& f)
{
    for (int shape = 0; shape < acs::mouth_shape_count; ++shape) {
        acs::MouthOverlay o;
        o.shape = acs::Mouth(shape);
        o.image = uint16_t(image_for(mouth_base + shape, 1));
        f.overlays.append(o);
    }
    return f;
}

acs::Animation& CharacterSketch::animation(const QString& name, QList<acs::Frame> frames,
                                           acs::Transition transition, const QString& return_animation)
{
    for (acs::Frame& f : frames)
        for (acs::FrameImage& fi : f.images) fi.image = uint32_t(image_for(int(fi.image), frame_side));
    acs::Animation a;
    a.name = name;
    a.transition = transition;
    a.return_animation = return_animation;
    a.frames = frames;
    data.animations.append(a);
    return data.animations.last();
}

void CharacterSketch::state(const QString& name, QStringList animations)
{
    data.states.append(acs::State{name, animations});
}

std::shared_ptr<const acs::CharacterData> CharacterSketch::share() const
{
    return std::make_shared<const acs::CharacterData>(data);
}

CharacterSketch standard_character()
{
    using acs::Branch;
    using acs::Transition;
    CharacterSketch s;
    const auto f = [](int tag, int hundredths, QList<Branch> branches = {}, int exit = acs::exit_none) {
        return CharacterSketch::frame(tag, hundredths, branches, exit);
    };

    acs::Frame rest = f(1, 2);
    s.add_mouths(rest);
    s.animation(QStringLiteral("RestPose"), {rest});
    s.animation(QStringLiteral("Show"), {f(10, 2), f(11, 2)});
    s.animation(QStringLiteral("Hide"), {f(20, 2), f(21, 2)});
    s.animation(QStringLiteral("Wave"), {f(30, 2, {}, -2), f(31, 2, {}, -2), f(32, 2, {}, -2)});
    // Normal play: 40, then the pose 41 (which has mouths). Leaving the pose: 42.
    acs::Frame pose = f(41, 2, {}, 1);
    s.add_mouths(pose);
    s.animation(QStringLiteral("Gesture"),
                {f(40, 2, {Branch{2, 100}}, -2), f(42, 2, {}, acs::exit_stop), pose},
                Transition::ExitBranches);
    s.animation(QStringLiteral("Loop"), {f(50, 2), f(51, 2, {Branch{0, 100}}), f(52, 2)});
    s.animation(QStringLiteral("Back"), {f(60, 2)}, Transition::ReturnAnimation, QStringLiteral("BACKRETURN"));
    s.animation(QStringLiteral("BackReturn"), {f(61, 2)});
    const QStringList directions{QStringLiteral("Left"), QStringLiteral("Right"), QStringLiteral("Up"),
                                 QStringLiteral("Down")};
    for (int d = 0; d < 4; ++d) {
        const int base = 80 + 3 * d;
        s.animation(QStringLiteral("Move") + directions[d],
                    {f(base, 2), f(base + 1, 2, {Branch{1, 100}}), f(base + 2, 2)},
                    Transition::ExitBranches);
        s.state(QStringLiteral("MOVING") + directions[d].toUpper(), {QStringLiteral("Move") + directions[d]});
    }
    s.animation(QStringLiteral("Blink"), {f(90, 2), f(98, 1)});
    s.animation(QStringLiteral("Fidget"), {f(91, 2), f(99, 1)});
    s.animation(QStringLiteral("Sleep"), {f(92, 2), f(93, 2, {Branch{1, 100}}), f(94, 2)});
    s.animation(QStringLiteral("Alert"), {f(95, 2)});
    s.animation(QStringLiteral("Hearing"), {f(96, 2, {Branch{0, 100}})});

    s.state(QStringLiteral("SHOWING"), {QStringLiteral("Show")});
    s.state(QStringLiteral("HIDING"), {QStringLiteral("Hide")});
    s.state(QStringLiteral("SPEAKING"), {QStringLiteral("RestPose")});
    s.state(QStringLiteral("IDLINGLEVEL1"), {QStringLiteral("Blink")});
    s.state(QStringLiteral("IDLINGLEVEL2"), {QStringLiteral("Fidget")});
    s.state(QStringLiteral("IDLINGLEVEL3"), {QStringLiteral("Sleep")});
    s.state(QStringLiteral("LISTENING"), {QStringLiteral("Alert")});
    s.state(QStringLiteral("HEARING"), {QStringLiteral("Hearing")});
    return s;
}

void RecordingView::set_frame(const QImage& frame)
{
    frame_sizes.append(frame.size());
    if (frame.isNull()) {
        tags.append(0);
        mouths.append(-1);
        return;
    }
    tags.append(qRed(frame.pixel(frame.width() - 1, frame.height() - 1)));
    const int corner = qRed(frame.pixel(0, 0));
    mouths.append(corner >= mouth_base ? corner - mouth_base : -1);
}

void RecordingView::show_balloon(agent::BalloonKind kind, const QString& text, const acs::BalloonInfo&)
{
    balloon = Balloon{kind, text};
    balloon_log.append(QStringLiteral("show %1 %2")
                           .arg(kind == agent::BalloonKind::Speech ? QStringLiteral("Speech")
                                                                   : QStringLiteral("Thought"),
                                text));
}

void RecordingView::hide_balloon()
{
    balloon.reset();
    balloon_log.append(QStringLiteral("hide"));
}

QList<int> RecordingView::take_tags()
{
    const QList<int> out = tags.mid(taken_);
    taken_ = int(tags.size());
    return out;
}

namespace {

void collect(const QString& line)
{
    static const QRegularExpression prefix(QStringLiteral("^pw \\d+ "));
    QString body = line;
    body.remove(prefix);
    RuntimeFixture::lines().append(body);
}

}  // namespace

RuntimeFixture::RuntimeFixture()
{
    clear_lines();
    trace::set_sink(&collect);
    trace::set_enabled_for_tests(true);
}

RuntimeFixture::~RuntimeFixture()
{
    owned.reset();
    trace::set_sink(nullptr);
    trace::set_enabled_for_tests(false);
}

agent::RuntimeOptions RuntimeFixture::quick_options()
{
    agent::RuntimeOptions o;
    o.timings.idle_first_ms = 150;
    o.timings.idle_round_ms = 80;
    o.timings.idle_rounds_per_level = 2;
    o.timings.balloon_linger_ms = 60;
    o.timings.listen_timeout_ms = 200;
    o.timings.move_event_interval_ms = 40;
    o.random_seed = 7;
    return o;
}

agent::AgentPlatform& RuntimeFixture::platform(agent::RuntimeOptions options)
{
    if (!owned) {
        owned = std::make_unique<agent::AgentPlatform>(
            [this] {
                auto v = std::make_unique<RecordingView>();
                views.append(v.get());
                return v;
            },
            std::move(options));
    }
    return *owned;
}

agent::Character* RuntimeFixture::load(const QString& id, const CharacterSketch& sketch)
{
    agent::AgentPlatform& p = platform();
    const agent::Request r = p.load_data(id, sketch.share());
    wait_until([&] { return r.status() == agent::Request::Complete; });
    return p.item(id);
}

QStringList& RuntimeFixture::lines()
{
    static QStringList all;
    return all;
}

QStringList RuntimeFixture::events()
{
    QStringList out;
    for (const QString& l : lines())
        if (l.startsWith(QLatin1String("event "))) out.append(l.mid(6));
    return out;
}

QStringList RuntimeFixture::events_named(const QString& name)
{
    QStringList out;
    for (const QString& e : events())
        if (e.startsWith(name + QLatin1Char(' '))) out.append(e);
    return out;
}

bool wait_until(const std::function<bool()>& condition, int ms) { return QTest::qWaitFor(condition, ms); }
bool ends(const agent::Request& r, int ms) { return wait_until([&] { return r.is_finished(); }, ms); }
bool completes(const agent::Request& r, int ms) { return ends(r, ms) && r.status() == agent::Request::Complete; }
void spin(int ms) { QTest::qWait(ms); }

}  // namespace pw::test
