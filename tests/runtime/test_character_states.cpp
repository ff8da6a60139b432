// What a character does on screen: state animations of Show, Hide, MoveTo and Speak,
// thoughts, idling, size and place, the user's mouse and listening.

#include "tests/test_classes.h"
#include "agent/acs/wav_audio.h"
#include "agent/api/agent_error.h"
#include "agent/runtime/character_agent.h"
#include "agent/voice/voice_input.h"
#include "runtime_test_support.h"
#include "tests/recognition/speech_fixtures.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace pw;
using namespace pw::agent;
using pw::test::RecordingView;
using pw::test::RuntimeFixture;
using pw::test::completes;
using pw::test::ends;
using pw::test::wait_until;

namespace {

class FakeVoiceInput : public voice::VoiceInput {
public:
    void start(const QStringList& p) override
    {
        phrases = p;
        listening = true;
    }
    void stop() override { listening = false; }

    QStringList phrases;
    bool listening = false;
};

int index_of_event(const QString& prefix)
{
    const QStringList ev = RuntimeFixture::events();
    for (int i = 0; i < ev.size(); ++i)
        if (ev[i].startsWith(prefix)) return i;
    return -1;
}

}  // namespace

class CharacterStatesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void show_and_hide_play_their_state_animations();
    void move_to_glides_in_the_travel_pose_and_reports_moves();
    void speak_reveals_words_and_moves_the_mouth_and_think_shows_all_at_once();
    void speak_keeps_a_gesture_pose_that_has_mouths();
    void speak_with_a_wave_file_or_a_missing_one();
    void idling_climbs_levels_and_a_request_wakes_the_character();
    void size_place_and_name_properties();
    void mouse_input_and_the_menu_become_events();
    void listening_ends_by_timeout_by_program_or_when_heard();
};

void CharacterStatesTest::show_and_hide_play_their_state_animations()
{
    RuntimeFixture fx;
    Character* c = fx.load(QStringLiteral("Kit"));
    RecordingView* v = fx.view();
    QVERIFY(!c->visible() && !v->visible);

    const Request show = c->show();
    QVERIFY(ends(show));
    QVERIFY(c->visible() && v->visible);
    QCOMPARE(v->take_tags(), (QList<int>{10, 11}));
    QCOMPARE(v->frames_when_shown, 1);  // the first frame was there before the window

    QVERIFY(ends(c->show()));  // already visible: nothing to play
    QVERIFY(v->take_tags().isEmpty());

    const Request hide = c->hide();
    QVERIFY(ends(hide));
    QCOMPARE(v->take_tags(), (QList<int>{20, 21}));
    QVERIFY(!c->visible() && !v->visible);
    QVERIFY(completes(c->hide()));

    QVERIFY(ends(c->show(true)));
    QVERIFY(v->visible);
    QVERIFY(!v->tags.isEmpty());
    QVERIFY(ends(c->hide(true)));
    QVERIFY(!v->visible);
    for (int t : v->take_tags()) QVERIFY(t != 10 && t != 20);

    // A stopped Hide still hides.
    const Request shown = c->show(true);
    const Request going = c->hide();
    QVERIFY(wait_until([&] { return going.status() == Request::InProgress; }));
    c->stop();
    QVERIFY(shown.is_finished());
    QVERIFY(!c->visible() && !v->visible);
}

void CharacterStatesTest::move_to_glides_in_the_travel_pose_and_reports_moves()
{
    RuntimeFixture fx;
    Character* c = fx.load(QStringLiteral("Kit"));
    RecordingView* v = fx.view();
    const Request show = c->show(true);
    QVERIFY(ends(show));
    v->take_tags();
    v->geometries.clear();
    RuntimeFixture::clear_lines();

    const Request left = c->move_to(-120, 10, 300);  // towards the screen's left edge
    QVERIFY(ends(left));
    QCOMPARE(QPoint(c->left(), c->top()), QPoint(-120, 10));
    const QList<int> tags = v->take_tags();
    QCOMPARE(tags.first(), 80);
    QCOMPARE(tags.last(), 82);       // back to rest through the exit branches
    QVERIFY(tags.contains(81));      // the travel pose
    int between = 0;                 // the window glided: positions on the way
    for (const QRect& r : v->geometries) between += r.left() < 0 && r.left() > -120;
    QVERIFY2(between >= 3, qPrintable(QString::number(between)));
    const QStringList moves = RuntimeFixture::events_named(QStringLiteral("Move"));
    QVERIFY(wait_until([&] { return index_of_event(QStringLiteral("RequestComplete %1 ").arg(left.id())) >= 0; }));
    QVERIFY(moves.size() >= 2);      // some on the way, one at the end
    QCOMPARE(moves.last(), QStringLiteral("Move Kit -120 10 2"));
    QVERIFY(index_of_event(QStringLiteral("Move Kit -120 10 2")) <
            index_of_event(QStringLiteral("RequestComplete %1 ").arg(left.id())));

    // Larger vertical distance: the Down animation; speed 0 jumps with one Move event.
    QVERIFY(ends(c->move_to(-100, 200, 60)));
    QCOMPARE(v->take_tags().first(), 89);
    RuntimeFixture::clear_lines();
    v->geometries.clear();
    const Request jump = c->move_to(300, 40, 0);
    QVERIFY(wait_until([&] { return index_of_event(QStringLiteral("RequestComplete %1 ").arg(jump.id())) >= 0; }));
    QCOMPARE(v->geometries, (QList<QRect>{QRect(300, 40, 8, 8)}));
    QCOMPARE(RuntimeFixture::events_named(QStringLiteral("Move")), QStringList{QStringLiteral("Move Kit 300 40 2")});
    QVERIFY(v->take_tags().isEmpty());

    // A hidden character just moves, in one step.
    c->hide(true);
    v->geometries.clear();
    const Request hidden = c->move_to(5, 6, 2000);
    QVERIFY(ends(hidden));
    QCOMPARE(v->geometries, (QList<QRect>{QRect(5, 6, 8, 8)}));

    // Without travel animations the end of the glide is reported from the event loop.
    // A Stop that comes first (here on the last Move event, followed by the event loop
    // as a waiting script runs it) ends the request; the late report must not reach it.
    pw::test::CharacterSketch plain = pw::test::standard_character();
    plain.data.states.removeIf([](const acs::State& s) { return s.name.startsWith(QLatin1String("MOVING")); });
    Character* p = fx.load(QStringLiteral("Nim"), plain);
    QVERIFY(ends(p->show(true)));
    Request glide;
    bool stopped_on_arrival = false;
    connect(&fx.platform(), &AgentControl::Move, this, [&](const QString& id, int x, int, int) {
        if (id != QLatin1String("Nim") || x != 600 || glide.status() != Request::InProgress) return;
        stopped_on_arrival = true;
        p->stop();
        QCoreApplication::processEvents();
    });
    RuntimeFixture::clear_lines();
    glide = p->move_to(600, 0, 100);
    QVERIFY(ends(glide));
    QVERIFY(stopped_on_arrival);
    QCOMPARE(glide.status(), int(Request::Interrupted));
    QVERIFY(completes(p->play(QStringLiteral("Blink"))));
    QCOMPARE(RuntimeFixture::events_named(QStringLiteral("RequestComplete"))
                 .filter(QRegularExpression(QStringLiteral("^RequestComplete %1 ").arg(glide.id())))
                 .size(),
             1);
}

void CharacterStatesTest::speak_reveals_words_and_moves_the_mouth_and_think_shows_all_at_once()
{
    RuntimeFixture fx;
    Character* c = fx.load(QStringLiteral("Kit"));
    RecordingView* v = fx.view();
    c->show(true);
    const QString text = QStringLiteral("Hello there, my good friend.");
    const Request speak = c->speak(text);
    QVERIFY(wait_until([&] { return v->balloon.has_value(); }, 5000));
    QCOMPARE(v->balloon->kind, BalloonKind::Speech);
    QCOMPARE(v->balloon->text, text);
    QVERIFY(ends(speak, 15000));
    QCOMPARE(speak.status(), int(Request::Complete));

    // Words appeared over time, never going back, and all were shown at the end.
    QVERIFY2(v->reveals.size() >= 3, qPrintable(QString::number(v->reveals.size())));
    QCOMPARE(v->reveals.first(), 0);
    QCOMPARE(v->reveals.last(), int(text.size()));
    for (int i = 1; i < v->reveals.size(); ++i) QVERIFY(v->reveals[i] >= v->reveals[i - 1]);
    // The mouth moved on the speaking frame, and closed when done.
    int open = 0;
    for (int i = 0; i < v->tags.size(); ++i) {
        if (v->mouths[i] > 0) {
            QCOMPARE(v->tags[i], 1);
            ++open;
        }
    }
    QVERIFY(open >= 2);
    QVERIFY(v->mouths.last() <= 0);

    // The balloon stays a moment, then goes; BalloonHide comes after the request.
    QVERIFY(v->balloon.has_value());
    QVERIFY(wait_until([&] { return index_of_event(QStringLiteral("BalloonHide Kit")) >= 0; }));
    QVERIFY(!v->balloon.has_value());
    QVERIFY(index_of_event(QStringLiteral("RequestComplete %1 ").arg(speak.id())) <
            index_of_event(QStringLiteral("BalloonHide Kit")));

    // Empty text: done at once, no balloon.
    v->balloon_log.clear();
    QVERIFY(ends(c->speak(QString())));
    QVERIFY(v->balloon_log.isEmpty());

    // A thought is there all at once, and goes the same way.
    RuntimeFixture::clear_lines();
    const Request think = c->think(QStringLiteral("Pizza?"));
    QVERIFY(wait_until([&] { return v->balloon.has_value(); }));
    QCOMPARE(v->balloon->kind, BalloonKind::Thought);
    QCOMPARE(v->reveals.last(), 6);
    QVERIFY(wait_until([&] { return think.is_finished() && index_of_event(QStringLiteral("BalloonHide Kit")) >= 0; }, 5000));
    QVERIFY(!v->balloon.has_value());
}

void CharacterStatesTest::speak_keeps_a_gesture_pose_that_has_mouths()
{
    RuntimeFixture fx;
    Character* c = fx.load(QStringLiteral("Kit"));
    RecordingView* v = fx.view();
    c->show(true);
    QVERIFY(ends(c->play(QStringLiteral("Gesture"))));
    v->take_tags();
    const Request speak = c->speak(QStringLiteral("Look over there."));
    QVERIFY(ends(speak, 15000));
    const QList<int> during = v->take_tags();
    QVERIFY(!during.isEmpty());
    for (int t : during) QCOMPARE(t, 41);
    // The next animation first leaves the pose.
    QVERIFY(ends(c->play(QStringLiteral("Wave"))));
    QCOMPARE(v->take_tags(), (QList<int>{42, 30, 31, 32}));
}

void CharacterStatesTest::speak_with_a_wave_file_or_a_missing_one()
{
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("tone.wav")));
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(acs::encode_wav(pw::test::tone(8000, 1, 440, 300))) > 0);
    f.close();

    RuntimeFixture fx;
    RuntimeOptions options = RuntimeFixture::quick_options();
    options.program_dir = dir.path();
    fx.platform(options);
    Character* c = fx.load(QStringLiteral("Kit"));
    RecordingView* v = fx.view();
    c->show(true);
    QVERIFY(completes(c->speak(QStringLiteral("Beep beep"), QStringLiteral("tone.wav"))));
    QVERIFY(v->mouths.contains(0) || v->mouths.contains(-1));
    bool opened = false;
    for (int m : v->mouths) opened = opened || m > 0;
    QVERIFY(opened);
    QCOMPARE(v->reveals.last(), 9);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("missing\\.wav.*cannot be played")));
    const Request missing = c->speak(QStringLiteral("x"), QStringLiteral("missing.wav"));
    QVERIFY(ends(missing));
    QCOMPARE(missing.status(), int(Request::Failed));
    QCOMPARE(missing.error_number(), error::file_not_found);
    // The queue goes on after a failure.
    QVERIFY(completes(c->play(QStringLiteral("Blink"))));
}

void CharacterStatesTest::idling_climbs_levels_and_a_request_wakes_the_character()
{
    RuntimeFixture fx;
    Character* hidden = fx.load(QStringLiteral("Shy"));
    Character* c = fx.load(QStringLiteral("Kit"));
    RecordingView* v = fx.view(1);
    c->show(true);
    QVERIFY(wait_until([&] { return index_of_event(QStringLiteral("IdleStart Kit")) >= 0; }));
    QVERIFY(wait_until([&] { return v->tags.contains(93); }, 4000));  // asleep in level 3
    QList<int> tags = v->take_tags();
    const int blink = int(tags.indexOf(90));
    const int fidget = int(tags.indexOf(91));
    const int sleep = int(tags.indexOf(92));
    QVERIFY(blink >= 0 && fidget > blink && sleep > fidget);
    QCOMPARE(tags.count(90), 2);  // two rounds at each level, here
    QCOMPARE(tags.count(91), 2);
    // Stays asleep while the sleep loops on, through several idle rounds.
    int frames = 0;
    fx.platform().agent(QStringLiteral("Kit"))->set_frame_observer([&](qint64, qint64) { ++frames; });
    QVERIFY(wait_until([&] { return frames >= 10; }));
    fx.platform().agent(QStringLiteral("Kit"))->set_frame_observer({});
    for (int t : v->take_tags()) QCOMPARE(t, 93);
    QCOMPARE(RuntimeFixture::events_named(QStringLiteral("IdleStart")), QStringList{QStringLiteral("IdleStart Kit")});
    // Idling is no act: the character stays where it is among the others until it
    // plays for the script.
    QCOMPARE(v->forwards, 1);  // for the Show

    RuntimeFixture::clear_lines();
    const Request wave = c->play(QStringLiteral("Wave"));
    QVERIFY(ends(wave));
    QCOMPARE(v->forwards, 2);
    tags = v->take_tags();
    QCOMPARE(tags.mid(tags.indexOf(94)), (QList<int>{94, 30, 31, 32}));  // wakes up first
    QVERIFY(index_of_event(QStringLiteral("IdleComplete Kit")) >= 0);
    QVERIFY(index_of_event(QStringLiteral("IdleComplete Kit")) <
            index_of_event(QStringLiteral("RequestStart %1 ").arg(wave.id())));

    // Idling starts over after the request; a hidden character never idles.
    QVERIFY(wait_until([&] { return index_of_event(QStringLiteral("IdleStart Kit")) >= 0; }));
    QVERIFY(!hidden->visible());
    QVERIFY(index_of_event(QStringLiteral("IdleStart Shy")) < 0);
    QVERIFY(fx.view(0)->tags.isEmpty());
}

void CharacterStatesTest::size_place_and_name_properties()
{
    RuntimeFixture fx;
    Character* c = fx.load(QStringLiteral("Kit"));
    RecordingView* v = fx.view();
    QCOMPARE(QSize(c->width(), c->height()), QSize(8, 8));  // the frame size
    c->set_width(16);
    c->set_height(24);
    c->set_left(30);
    c->set_top(-5);
    QCOMPARE(v->geometry, QRect(30, -5, 16, 24));
    c->set_width(0);  // sizes stay at least one pixel
    QCOMPARE(c->width(), 1);
    c->set_left(70000);  // positions are 16-bit
    QCOMPARE(c->left(), 32767);
    const Request show = c->show(true);
    QVERIFY(ends(show));
    QCOMPARE(v->frame_sizes.last(), QSize(8, 8));  // the view scales; frames stay native
    // Events come in order: a Move of the writes above would have come before this.
    QVERIFY(wait_until([&] { return index_of_event(QStringLiteral("RequestComplete %1 ").arg(show.id())) >= 0; }));
    QVERIFY(RuntimeFixture::events_named(QStringLiteral("Move")).isEmpty());

    QCOMPARE(c->name(), QStringLiteral("Sketchy"));
    c->set_language_id(0x0407);
    QCOMPARE(c->language_id(), 0x0407);
    QCOMPARE(c->name(), QStringLiteral("Skizze"));
    c->activate();
    c->activate(0);
    QCOMPARE(v->activations, 1);
}

void CharacterStatesTest::mouse_input_and_the_menu_become_events()
{
    RuntimeFixture fx;
    Character* c = fx.load(QStringLiteral("Kit"));
    RecordingView* v = fx.view();
    c->set_left(100);
    c->set_top(50);
    RuntimeFixture::clear_lines();
    QSignalSpy clicks(&fx.platform(), &AgentControl::Click);

    v->listener->view_clicked(1, 1, QPoint(3, 4));
    v->listener->view_double_clicked(1, 0, QPoint(3, 4));
    QCOMPARE(clicks.size(), 0);
    QVERIFY(wait_until([&] { return clicks.size() == 1; }));
    QCOMPARE(clicks[0][0].toString(), QStringLiteral("Kit"));
    v->listener->view_dragged(QPoint(120, 60));
    v->listener->view_dragged(QPoint(130, 70));
    QCOMPARE(v->geometry.topLeft(), QPoint(130, 70));
    v->listener->view_drag_finished(1, 2, QPoint(2, 2));
    QVERIFY(wait_until([] { return RuntimeFixture::events().size() >= 5; }));
    QCOMPARE(RuntimeFixture::events(), (QStringList{
        QStringLiteral("Click Kit 1 1 103 54"),
        QStringLiteral("DblClick Kit 1 0 103 54"),
        QStringLiteral("Move Kit 120 60 1"),
        QStringLiteral("Move Kit 130 70 1"),
        QStringLiteral("DragComplete Kit 1 2 132 72"),
    }));

    c->commands().add(QStringLiteral("quit"), QStringLiteral("&Quit"));
    c->commands().add(QStringLiteral("yes"), QStringLiteral("yes"), QStringLiteral("yes"), true, false);
    c->commands().add(QStringLiteral("later"), QStringLiteral("&Later"), {}, false, true);
    v->listener->view_menu_requested(QPoint(5, 5));
    QCOMPARE(v->menus.size(), 1);
    QCOMPARE(v->menus[0].size(), 2);  // the one not in the menu left out
    QVERIFY(!v->menus[0][1].enabled);

    QSignalSpy commands(&fx.platform(), &AgentControl::Command);
    RuntimeFixture::clear_lines();
    v->listener->view_command_chosen(QStringLiteral("quit"));
    QVERIFY(wait_until([&] { return commands.size() == 1; }));
    const auto input = commands[0][0].value<UserInput>();
    QCOMPARE(input.name, QStringLiteral("quit"));
    QCOMPARE(input.character_id, QStringLiteral("Kit"));
    QCOMPARE(RuntimeFixture::events(), QStringList{QStringLiteral("Command \"quit\" Kit")});
}

void CharacterStatesTest::listening_ends_by_timeout_by_program_or_when_heard()
{
    RuntimeFixture fx;
    FakeVoiceInput ears;
    RuntimeOptions options = RuntimeFixture::quick_options();
    options.voice_input = &ears;
    fx.platform(options);
    Character* c = fx.load(QStringLiteral("Kit"));
    Character* other = fx.load(QStringLiteral("Pal"));
    RecordingView* v = fx.view();
    c->show(true);
    c->commands().add(QStringLiteral("Hi"), QStringLiteral("Hi"), QStringLiteral("Hello there"), true, false);
    c->commands().add(QStringLiteral("off"), QStringLiteral("off"), QStringLiteral("off"), false, false);
    pw::test::spin(20);

    QVERIFY(c->listen(true));
    QVERIFY(ears.listening);
    QCOMPARE(ears.phrases, QStringList{QStringLiteral("Hello there")});  // enabled ones only
    QVERIFY(wait_until([&] { return v->tags.contains(95); }));           // the listening pose
    QVERIFY(wait_until([&] { return index_of_event(QStringLiteral("ListenComplete Kit 2")) >= 0; }));
    QVERIFY(!ears.listening);

    RuntimeFixture::clear_lines();
    c->listen(true);
    c->listen(false);
    QVERIFY(wait_until([&] { return index_of_event(QStringLiteral("ListenComplete Kit 1")) >= 0; }));

    RuntimeFixture::clear_lines();
    c->listen(true);
    Q_EMIT ears.speech_started();
    QVERIFY(wait_until([&] { return v->tags.contains(96); }));  // hearing
    Q_EMIT ears.heard(QStringLiteral("hello there"));
    QVERIFY(wait_until([] { return RuntimeFixture::events().size() >= 2; }));
    QCOMPARE(RuntimeFixture::events(), (QStringList{QStringLiteral("Command \"Hi\" Kit"),
                                                    QStringLiteral("ListenComplete Kit 5")}));
    QVERIFY(!ears.listening);

    // Speech outside the commands: a Command with no name. One listener at a time.
    RuntimeFixture::clear_lines();
    c->listen(true);
    Q_EMIT ears.heard(QString());
    c->listen(true);
    other->listen(true);
    QVERIFY(wait_until([] { return RuntimeFixture::events().size() >= 3; }));
    QCOMPARE(RuntimeFixture::events(), (QStringList{QStringLiteral("Command \"\" Kit"),
                                                    QStringLiteral("ListenComplete Kit 5"),
                                                    QStringLiteral("ListenComplete Kit 6")}));
    other->listen(false);
}

PW_TEST_CLASS(CharacterStatesTest);
#include "test_character_states.moc"
