// What the cases cannot reach: the branch rolls of normal play, the frame sounds and
// the looping report of the player, an owner of the animation runner that gives up
// while the character settles, and what the platform hands out beside the trace.

#include "agent/runtime/animation_player.h"
#include "agent/acs/acs_writer.h"
#include "agent/runtime/agent_platform.h"
#include "agent/runtime/character_agent.h"
#include "agent/runtime/frame_presenter.h"
#include "agent/runtime/frame_steps.h"
#include "agent/runtime/packed_frame.h"
#include "case_view.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace pw::agent;
using pw::runtime_cases::CaseSketch;

namespace {

// Rolls the given numbers in turn (then 1 for ever).
Dice scripted(QList<int> rolls)
{
    auto left = std::make_shared<QList<int>>(rolls);
    return [left](int, int) { return left->isEmpty() ? 1 : left->takeFirst(); };
}

CaseSketch sketch(const QStringList& lines)
{
    CaseSketch s;
    QString error;
    for (const QString& line : lines) s.read(line, error);
    return s;
}

}  // namespace

class RuntimePiecesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void normal_steps_follow_rolled_branches_and_exits_their_exit_frames();
    void frames_with_a_sound_play_it_and_a_loop_is_reported_once();
    void an_owner_that_gives_up_while_settling_is_not_called_back();
    void one_file_loaded_twice_is_read_once_and_a_request_end_hands_out_that_request();
    void packed_frames_unpack_as_they_were();
};

void RuntimePiecesTest::normal_steps_follow_rolled_branches_and_exits_their_exit_frames()
{
    const CaseSketch s = sketch({u"animation A: 1/1>2:30>3:50 2/1 3/1 4/1 5/1>9:100"_s,
                                 u"animation B: 1/1^3 2/1^stop 3/1>0:100 4/1>5:100 5/1>0:50 6/1^17"_s});
    const pw::acs::Animation& a = s.data.animations[0];
    QCOMPARE(next_frame(a, 0, scripted({30})), 2);   // 30 - 30 reaches zero: first branch
    QCOMPARE(next_frame(a, 0, scripted({31})), 3);   // 31 - 30 - 50 < 0: second branch
    QCOMPARE(next_frame(a, 0, scripted({81})), 1);   // the rest of 100: the next frame
    QCOMPARE(next_frame(a, 3, scripted({50})), 4);   // no branches
    QCOMPARE(next_frame(a, 4, scripted({1})), animation_end);  // branch into nowhere, last frame
    QCOMPARE(next_frame(a, 7, scripted({1})), animation_end);

    const pw::acs::Animation& b = s.data.animations[1];
    QCOMPARE(next_exit_frame(b, 0), 3);
    QCOMPARE(next_exit_frame(b, 1), animation_end);
    QCOMPARE(next_exit_frame(b, 2), 3);   // backwards 100 % branch: not followed
    QCOMPARE(next_exit_frame(b, 3), 5);   // forwards 100 % branch: followed
    QCOMPARE(next_exit_frame(b, 4), 5);   // a random branch: ignored
    QCOMPARE(next_exit_frame(b, 5), animation_end);  // exit frame outside the animation
    QVERIFY(is_loop_branch(b, 2, 0));
    QVERIFY(!is_loop_branch(b, 3, 5));
    QVERIFY(!is_loop_branch(b, 4, 0));
}

void RuntimePiecesTest::frames_with_a_sound_play_it_and_a_loop_is_reported_once()
{
    CaseSketch s = sketch({u"animation Loop: 50/1 51/1>0:100 52/1"_s});
    s.data.animations[0].frames[1].sound = 0;
    QList<int> sounds;
    int shown = 0, loops = 0;
    AnimationPlayer* playing = nullptr;
    AnimationPlayer player(AnimationPlayer::Hooks{[&](const pw::acs::Frame&) { if (++shown == 6) playing->stop(); },
                                                  [&](int sound) { sounds.append(sound); }, {}, [] { return false; },
                                                  [&] { ++loops; }, {}},
                           scripted({}));
    playing = &player;
    player.play(s.data.animations[0]);
    QVERIFY(QTest::qWaitFor([&] { return !player.running(); }));
    QCOMPARE(sounds, (QList<int>{0, 0, 0}));
    QCOMPARE(loops, 1);  // when the loop is first taken
}

// The report promised to an owner that settles and then gives up (or a halt) never
// comes: the owner may be gone by then.
void RuntimePiecesTest::an_owner_that_gives_up_while_settling_is_not_called_back()
{
    const CaseSketch s =
        sketch({u"animation Loop: 50/2 51/2>0:100 52/2"_s, u"animation Blink: 90/2 98/1"_s});
    const pw::acs::Animation& loop = s.data.animations[0];
    const pw::acs::Animation& blink = s.data.animations[1];
    pw::runtime_cases::CaseWorld world;
    pw::runtime_cases::CaseView view(world, u"Kit"_s);
    FramePresenter presenter(s.data, view);
    AnimationRunner runner(s.data, presenter, AnimationRunner::Hooks{}, scripted({}));
    int ended = 0;
    runner.run(loop, AnimationRunner::Owner{[] {}, {}, false});
    QVERIFY(QTest::qWaitFor([&] { return runner.has_looped(); }));
    for (const bool halt : {false, true}) {
        int settled = 0;
        runner.settle([&] { ++settled; });
        halt ? runner.halt() : runner.interrupt();
        runner.run(blink, AnimationRunner::Owner{[&] { ++ended; }, {}, false});
        QVERIFY(QTest::qWaitFor([&] { return ended == (halt ? 2 : 1); }));
        QCOMPARE(settled, 0);
    }
}

void RuntimePiecesTest::one_file_loaded_twice_is_read_once_and_a_request_end_hands_out_that_request()
{
    QTemporaryDir dir;
    pw::acs::write_acs_file(sketch({u"animation Blink: 90/2 98/1"_s}).data, dir.filePath(u"Kit.acs"_s));
    pw::runtime_cases::CaseWorld world;
    AgentPlatform platform([&] { return std::make_unique<pw::runtime_cases::CaseView>(world, u"Kit"_s); });
    QSignalSpy ended(&platform, &AgentControl::RequestComplete);
    platform.load(u"Kit"_s, dir.filePath(u"Kit.acs"_s));
    const Request twin = platform.load(u"Twin"_s, dir.filePath(u"Kit.acs"_s));
    QCOMPARE(&platform.agent(u"Twin"_s)->data(), &platform.agent(u"Kit"_s)->data());
    QVERIFY(ended.wait() && (ended.size() == 2 || ended.wait()));
    QCOMPARE(ended[1][0].value<Request>(), twin);
}

void RuntimePiecesTest::packed_frames_unpack_as_they_were()
{
    // Runs longer than a count holds and runs across rows, in a width with padded rows;
    // a picture that is no palette picture, and none at all, come back as they went in.
    QImage frame(301, 7, QImage::Format_Indexed8);
    frame.setColorTable({0, qRgb(200, 30, 30), qRgb(20, 20, 90)});
    frame.fill(0);
    for (int y = 2; y < 5; ++y)
        for (int x = 0; x < frame.width(); ++x)
            frame.setPixel(x, y, x % 97 < 3 ? 2 : 1);
    frame.setPixel(300, 6, 2);
    const QImage unpacked = PackedFrame(frame).unpack();
    QCOMPARE(unpacked, frame);
    QCOMPARE(unpacked.colorTable(), frame.colorTable());
    QVERIFY(PackedFrame(frame).size_in_bytes() < frame.sizeInBytes() / 10);
    const QImage argb = frame.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(PackedFrame(argb).unpack().cacheKey(), argb.cacheKey());
    QVERIFY(PackedFrame(QImage()).unpack().isNull());
}

QTEST_MAIN(RuntimePiecesTest)
#include "test_runtime_pieces.moc"

