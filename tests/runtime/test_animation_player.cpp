// Frame sequencing (branches, exits, loops) and the return transitions between
// animations.

#include "tests/test_classes.h"
#include "agent/runtime/animation_player.h"
#include "agent/runtime/frame_presenter.h"
#include "agent/runtime/frame_steps.h"
#include "runtime_test_support.h"

#include <QTest>

using namespace pw;
using namespace pw::agent;
using pw::test::CharacterSketch;
using acs::Branch;

namespace {

acs::Frame fr(int tag, int hundredths, QList<Branch> branches = {}, int exit = acs::exit_none)
{
    return CharacterSketch::frame(tag, hundredths, branches, exit);
}

int tag_of(const acs::CharacterData& data, const acs::Frame& f)
{
    return uint8_t(data.images[f.images[0].image].pixels[0]);
}

// Rolls the given numbers in turn (then 1 for ever).
Dice scripted(QList<int> rolls)
{
    auto left = std::make_shared<QList<int>>(rolls);
    return [left](int, int) { return left->isEmpty() ? 1 : left->takeFirst(); };
}

struct PlayerProbe {
    explicit PlayerProbe(const acs::CharacterData& d, Dice dice = scripted({}))
        : data(d),
          player(AnimationPlayer::Hooks{
                     [this](const acs::Frame& f) { tags.append(tag_of(data, f)); },
                     [this](int sound) { sounds.append(sound); },
                     [this] { ++finished; },
                     [this] { return leave; },
                     [this] { ++loops; },
                     {},
                 },
                 std::move(dice))
    {
    }
    const acs::CharacterData& data;
    AnimationPlayer player;
    QList<int> tags;
    QList<int> sounds;
    int finished = 0;
    int loops = 0;
    bool leave = false;
};

}  // namespace

class AnimationPlayerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void normal_steps_follow_rolled_branches();
    void exit_steps_follow_exit_frames_without_random_loops();
    void frames_play_in_order_and_the_end_comes_after_the_last_frame();
    void zero_duration_frames_only_branch_and_their_cycles_end();
    void a_loop_turns_into_an_exit_when_someone_waits_or_on_exit_now();
    void an_exit_that_never_ends_is_cut_off();
    void type_zero_plays_its_return_animation_and_chains_are_limited();
    void an_interrupted_animation_leaves_before_the_next_and_its_owner_is_not_told();
};

void AnimationPlayerTest::normal_steps_follow_rolled_branches()
{
    CharacterSketch s;
    acs::Animation& a = s.animation(QStringLiteral("A"),
                                    {fr(1, 1, {Branch{2, 30}, Branch{3, 50}}), fr(2, 1), fr(3, 1), fr(4, 1),
                                     fr(5, 1, {Branch{9, 100}})});
    QCOMPARE(next_frame(a, 0, scripted({30})), 2);   // 30 - 30 reaches zero: first branch
    QCOMPARE(next_frame(a, 0, scripted({31})), 3);   // 31 - 30 - 50 < 0: second branch
    QCOMPARE(next_frame(a, 0, scripted({81})), 1);   // the rest of 100: the next frame
    QCOMPARE(next_frame(a, 3, scripted({50})), 4);   // no branches
    QCOMPARE(next_frame(a, 4, scripted({1})), animation_end);  // branch into nowhere, last frame
    QCOMPARE(next_frame(a, 7, scripted({1})), animation_end);
}

void AnimationPlayerTest::exit_steps_follow_exit_frames_without_random_loops()
{
    CharacterSketch s;
    acs::Animation& a = s.animation(QStringLiteral("A"),
                                    {fr(1, 1, {}, 3), fr(2, 1, {}, acs::exit_stop),
                                     fr(3, 1, {Branch{0, 100}}), fr(4, 1, {Branch{5, 100}}), fr(5, 1, {Branch{0, 50}}),
                                     fr(6, 1, {}, 17)});
    QCOMPARE(next_exit_frame(a, 0), 3);
    QCOMPARE(next_exit_frame(a, 1), animation_end);
    QCOMPARE(next_exit_frame(a, 2), 3);   // backwards 100 % branch: not followed
    QCOMPARE(next_exit_frame(a, 3), 5);   // forwards 100 % branch: followed
    QCOMPARE(next_exit_frame(a, 4), 5);   // a random branch: ignored
    QCOMPARE(next_exit_frame(a, 5), animation_end);  // exit frame outside the animation
    QVERIFY(is_loop_branch(a, 2, 0));
    QVERIFY(!is_loop_branch(a, 3, 5));
    QVERIFY(!is_loop_branch(a, 4, 0));
}

void AnimationPlayerTest::frames_play_in_order_and_the_end_comes_after_the_last_frame()
{
    CharacterSketch s;
    acs::Animation& a = s.animation(QStringLiteral("A"), {fr(1, 3), fr(2, 3), fr(3, 3)});
    a.frames[1].sound = 0;
    PlayerProbe p(s.data);
    p.player.play(a);
    QCOMPARE(p.tags, QList<int>{1});  // the first frame is up before play() returns
    QVERIFY(pw::test::wait_until([&] { return p.finished == 1; }));
    QCOMPARE(p.tags, (QList<int>{1, 2, 3}));
    QCOMPARE(p.sounds, QList<int>{0});
    QVERIFY(!p.player.running());
    QCOMPARE(p.player.current_frame(), 2);  // the last frame stays on screen
}

void AnimationPlayerTest::zero_duration_frames_only_branch_and_their_cycles_end()
{
    CharacterSketch s;
    acs::Animation& a = s.animation(QStringLiteral("A"), {fr(1, 0, {Branch{2, 100}}), fr(2, 2), fr(3, 1), fr(4, 0)});
    PlayerProbe p(s.data);
    p.player.play(a);
    QVERIFY(pw::test::wait_until([&] { return p.finished == 1; }));
    QCOMPARE(p.tags, QList<int>{3});

    // Nothing to show at all: the end still comes from the event loop, not from play().
    acs::Animation& cycle = s.animation(QStringLiteral("B"), {fr(5, 0, {Branch{1, 100}}), fr(6, 0, {Branch{0, 100}})});
    PlayerProbe q(s.data);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("never shown")));
    q.player.play(cycle);
    QCOMPARE(q.finished, 0);
    QVERIFY(pw::test::wait_until([&] { return q.finished == 1; }));
    QVERIFY(q.tags.isEmpty());
}

void AnimationPlayerTest::a_loop_turns_into_an_exit_when_someone_waits_or_on_exit_now()
{
    CharacterSketch s;
    acs::Animation& loop = s.animation(QStringLiteral("Loop"), {fr(1, 1), fr(2, 1, {Branch{0, 100}}), fr(3, 1)});
    PlayerProbe p(s.data);
    p.player.play(loop);
    QVERIFY(pw::test::wait_until([&] { return p.tags.size() >= 6; }));
    QCOMPARE(p.loops, 1);  // told once, when the loop is first taken
    QCOMPARE(p.finished, 0);
    p.player.exit_now();
    QVERIFY(pw::test::wait_until([&] { return p.finished == 1; }));
    QCOMPARE(p.tags.last(), 3);
    QVERIFY(p.player.exiting());

    PlayerProbe q(s.data);
    q.leave = true;  // requests wait: the loop is not taken at all
    q.player.play(loop);
    QVERIFY(pw::test::wait_until([&] { return q.finished == 1; }));
    QCOMPARE(q.tags, (QList<int>{1, 2, 3}));
    QCOMPARE(q.loops, 0);
}

void AnimationPlayerTest::an_exit_that_never_ends_is_cut_off()
{
    CharacterSketch s;
    acs::Animation& a = s.animation(QStringLiteral("A"), {fr(1, 1, {}, 1), fr(2, 1, {}, 0)});
    PlayerProbe p(s.data);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("way out")));
    p.player.play_exit(a, 0);
    QVERIFY(pw::test::wait_until([&] { return p.finished == 1; }, 2000));
    QCOMPARE(p.tags.size(), exit_step_limit(a));
}

void AnimationPlayerTest::type_zero_plays_its_return_animation_and_chains_are_limited()
{
    CharacterSketch s = pw::test::standard_character();
    s.animation(QStringLiteral("Ping"), {fr(70, 1)}, acs::Transition::ReturnAnimation, QStringLiteral("Pong"));
    s.animation(QStringLiteral("Pong"), {fr(71, 1)}, acs::Transition::ReturnAnimation, QStringLiteral("Ping"));
    pw::test::RecordingView view;
    FramePresenter presenter(s.data, view);
    AnimationRunner runner(s.data, presenter, AnimationRunner::Hooks{}, scripted({}));
    int ended = 0;
    const auto play = [&](const char* name) {
        runner.run(*s.data.animation(QLatin1String(name)), AnimationRunner::Owner{[&] { ++ended; }, {}, false});
    };
    play("Back");
    play("Wave");  // replaces nothing yet: Back is still playing, so it leaves first
    QVERIFY(pw::test::wait_until([&] { return ended == 1; }));
    view.take_tags();

    play("Back");
    QVERIFY(pw::test::wait_until([&] { return ended == 2; }));
    view.take_tags();
    play("Wave");
    QVERIFY(pw::test::wait_until([&] { return ended == 3; }));
    QCOMPARE(view.take_tags(), (QList<int>{61, 30, 31, 32}));

    // Two animations returning to each other: the chain stops after a few steps.
    play("Ping");
    QVERIFY(pw::test::wait_until([&] { return ended == 4; }));
    view.take_tags();
    play("Blink");
    QVERIFY(pw::test::wait_until([&] { return ended == 5; }));
    const QList<int> tags = view.take_tags();
    QCOMPARE(tags.last(), 98);
    QVERIFY2(tags.size() <= 7, qPrintable(QString::number(tags.size())));
}

void AnimationPlayerTest::an_interrupted_animation_leaves_before_the_next_and_its_owner_is_not_told()
{
    const CharacterSketch s = pw::test::standard_character();
    pw::test::RecordingView view;
    FramePresenter presenter(s.data, view);
    AnimationRunner runner(s.data, presenter, AnimationRunner::Hooks{}, scripted({}));
    int loop_ended = 0;
    runner.run(*s.data.animation(QStringLiteral("Loop")), AnimationRunner::Owner{[&] { ++loop_ended; }, {}, false});
    QVERIFY(pw::test::wait_until([&] { return runner.has_looped(); }));
    runner.interrupt();
    int ended = 0;
    runner.run(*s.data.animation(QStringLiteral("Blink")), AnimationRunner::Owner{[&] { ++ended; }, {}, false});
    QVERIFY(pw::test::wait_until([&] { return ended == 1; }));
    QCOMPARE(loop_ended, 0);
    const QList<int> tags = view.take_tags();
    QCOMPARE(tags.mid(tags.size() - 3), (QList<int>{52, 90, 98}));  // out of the loop, then the next

    // An owner that settles and then gives up (or a halt) is not called back later by
    // the report it was promised: it may be gone by then.
    for (const bool halt : {false, true}) {
        int settled = 0;
        runner.settle([&] { ++settled; });
        halt ? runner.halt() : runner.interrupt();
        runner.run(*s.data.animation(QStringLiteral("Blink")), AnimationRunner::Owner{[&] { ++ended; }, {}, false});
        QVERIFY(pw::test::wait_until([&] { return ended == (halt ? 3 : 2); }));
        QCOMPARE(settled, 0);
    }
}

PW_TEST_CLASS(AnimationPlayerTest);
#include "test_animation_player.moc"
