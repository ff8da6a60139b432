// The stage on the real character platform: start-up loads real character files,
// greets through a real request whose events reach the run state, and quitting
// unloads. Uses the built characters when the program folder has them, otherwise a
// small character written here.

#include "agent/acs/acs_writer.h"
#include "agent/runtime/agent_platform.h"
#include "agent/ui/desktop_character_view.h"
#include "engine/pellwick_mod.h"
#include "stage/message_box.h"
#include "stage/pellwick_form.h"
#include "stage/window_waits.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

using pw::agent::Request;

namespace {

// A one-picture figure named Pellwick with a few animations.
pw::acs::CharacterData small_pellwick()
{
    pw::acs::CharacterData d;
    d.width = 32;
    d.height = 48;
    d.palette = {qRgb(0, 0, 0), qRgb(250, 120, 40), qRgb(40, 90, 200)};
    while (d.palette.size() < 11) d.palette << qRgb(255, 0, 255);  // 10 is transparent
    pw::acs::Image img;
    img.width = 32;
    img.height = 48;
    img.pixels = QByteArray(img.stride() * img.height, char(1));
    d.images << img;
    auto animation = [&](const QString& name) {
        pw::acs::Animation a;
        a.name = name;
        pw::acs::Frame f;
        f.images << pw::acs::FrameImage{0, 0, 0};
        f.duration = 5;
        a.frames << f;
        d.animations << a;
    };
    for (const char* name : {"RestPose", "Show", "Hide", "Wave", "MoveLeft"}) animation(QString::fromLatin1(name));
    d.states << pw::acs::State{QStringLiteral("SPEAKING"), {QStringLiteral("RestPose")}}
             << pw::acs::State{QStringLiteral("SHOWING"), {QStringLiteral("Show")}}
             << pw::acs::State{QStringLiteral("HIDING"), {QStringLiteral("Hide")}};
    d.localized << pw::acs::LocalizedInfo{0x0409, QStringLiteral("Pellwick"), QStringLiteral("A test figure"), {}};
    d.voice = pw::acs::VoiceInfo{};
    d.voice->style = QStringLiteral("en-us");
    d.balloon = pw::acs::BalloonInfo{};
    return d;
}

bool wait_for(const std::function<bool()>& done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) pw::stage::do_events();
    return done();
}

}  // namespace

class TestStageRealPlatform : public QObject {
    Q_OBJECT

private slots:
    void start_up_greets_and_quit_unloads();
};

void TestStageRealPlatform::start_up_greets_and_quit_unloads()
{
    qunsetenv("PELLWORKS_CHARS");
    QTemporaryDir own;
    QString program_folder = qEnvironmentVariable("PELLWORKS_PROGRAM_DIR");
    if (!QFileInfo::exists(program_folder + QStringLiteral("/chars/Pellwick.acs"))) {
        program_folder = own.path();
        QDir(program_folder).mkdir(QStringLiteral("chars"));
        // Written in capitals, as some file copies arrive.
        pw::acs::write_acs_file(small_pellwick(), program_folder + QStringLiteral("/chars/PELLWICK.ACS"));
    }

    pw::agent::AgentPlatform agent(&pw::agent::make_desktop_view);
    pw::engine::pellwick_mod mod(agent);
    mod.program_folder = program_folder;
    mod.set_start_defaults();
    mod.goodbye_pause_ms = 50;
    QList<int> exits;
    mod.exit_program = [&](int code) { exits << code; };
    QStringList messages;
    pw::stage::set_message_box_hook([&](const QString& text) { messages << text; });
    pw::stage::pellwick_form form(agent, mod);

    // The greeting's completion and the closing of its balloon, in the order they came.
    QStringList said;
    QObject::connect(&agent, &pw::agent::AgentControl::RequestComplete, &form,
                     [&](const Request& r) { said << QStringLiteral("complete %1").arg(r.id()); });
    QObject::connect(&agent, &pw::agent::AgentControl::BalloonHide, &form, [&] { said << QStringLiteral("hide"); });

    form.Form_Load();

    QVERIFY2(messages.isEmpty(), qPrintable(messages.join(QLatin1Char('\n'))));
    QVERIFY(exits.isEmpty());
    const int slot = mod.char_index(QStringLiteral("pellwick"));
    QVERIFY(slot >= 0);
    pw::agent::Character* pellwick = mod.characters[slot].agent;
    QVERIFY(pellwick);
    QVERIFY(wait_for([&] { return pellwick->visible(); }, 5000));  // Show is queued
    QCOMPARE(pellwick->language_id(), 1033);
    QCOMPARE(mod.characters[slot].size.height(), pellwick->height());

    // The greeting's request ends, and its RequestComplete reaches the run state.
    const Request greeting = mod.characters[slot].request;
    QVERIFY(!greeting.is_null());
    mod.line_done = false;
    QVERIFY(wait_for([&] { return greeting.is_finished(); }, 20000));
    QCOMPARE(greeting.status(), int(Request::Complete));
    QVERIFY(wait_for([&] { return mod.line_done; }, 2000));
    // The balloon closes as the speech ends, before the next line could begin: in the
    // next turns of the event loop, with no time to linger.
    for (int i = 0; i < 5 && !said.contains(QStringLiteral("hide")); ++i) QCoreApplication::processEvents();
    QCOMPARE(said.mid(said.indexOf(QStringLiteral("complete %1").arg(greeting.id()))),
             (QStringList{QStringLiteral("complete %1").arg(greeting.id()), QStringLiteral("hide")}));

    // The action list of a real character: its animations, without show/hide/move.
    form.char_avail->setCurrentIndex(form.char_avail->findText(QStringLiteral("Pellwick")));
    QStringList items;
    for (int i = 16; i < form.AnimationListBox->count(); ++i) items << form.AnimationListBox->item(i)->text();
    QVERIFY(!items.isEmpty());
    for (const QString& item : items) {
        const QString name = item.mid(QStringLiteral("Pellwick> ").size()).toLower();
        QVERIFY2(name != QLatin1String("show") && name != QLatin1String("hide") && name != QLatin1String("move"),
                 qPrintable(item));
    }

    mod.quit_program();
    QTRY_COMPARE(exits, QList<int>{0});
    QVERIFY(!agent.is_loaded(QStringLiteral("Pellwick")));
    QVERIFY(!mod.characters[slot].loaded);
    pw::stage::set_message_box_hook(nullptr);
}

QTEST_MAIN(TestStageRealPlatform)
#include "test_stage_real_platform.moc"
