// The command line's keyword and path, and start-up with a file on it (the cases in
// tests/app/start_up: loaded as UTF-8, named in the status bar, handed over by a second
// start), run for runin, and a missing file said out loud before the end. The windows
// that open later stand clear of the characters, and a screen reader hears what every
// window shows.

#include "window_cases.h"

#include "tests/answer_table.h"

#include "app/command_line.h"
#include "app/components.h"
#include "app/info_bar.h"
#include "app/start_up.h"
#include "tests/test_classes.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <sys/file.h>

namespace {
const QString cases = QStringLiteral(PW_SOURCE_DIR "/tests/app/start_up");
}  // namespace

class TestStartUp : public QObject {
    Q_OBJECT

private slots:
    void command_lines_answer_as_on_file()
    {
        const auto answer = [](const QString& verb, const QStringList& args) {
            using pw::test::quoted;
            if (verb == QLatin1String("command line")) {
                const pw::app::CommandLine c = pw::app::parse_command_line(args);
                return QStringLiteral("mode %1, ").arg(c.mode) + quoted(c.path);
            }
            // What a second start hands over, from the folder it was started in.
            if (verb == QLatin1String("handed over from")) return quoted(pw::app::with_absolute_path(args.mid(1), args.value(0)));
            if (verb == QLatin1String("file name")) return quoted(pw::app::file_name_part(args.value(0)));
            return QStringLiteral("(not a question)");
        };
        const QString mismatch = pw::test::table_mismatch(cases + QStringLiteral("/../command_line.table"), answer);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }
    void each_case_reads_as_its_transcript_data() { pw::window_cases::add_rows(cases); }
    void each_case_reads_as_its_transcript() { pw::window_cases::check_row(cases); }

    void a_relative_path_is_the_start_folders()
    {
        // A relative path means the folder the program was started in, not its own;
        // runin plays the file (runout is the end-to-end test's).
        WindowFixture f;
        const QString here = QDir::currentPath();
        QTemporaryDir elsewhere;
        f.state.wait_idle_limit = std::chrono::milliseconds(100);
        f.write_file(QStringLiteral("rel.csp"), "interval 0\r\npellwick> speak from the file\r\n");
        QDir::setCurrent(f.program_dir.path());
        f.window->set_process_start_up({[&] { QDir::setCurrent(elsewhere.path()); }, {}, {}});
        f.start_up({QStringLiteral("rel.csp"), QStringLiteral("runin")});
        QDir::setCurrent(here);
        QVERIFY(f.wait_for_run_end());
        QVERIFY(f.said().contains(QStringLiteral("from the file")));
        QVERIFY(f.script().play_pellwick->isEnabled() && f.window->isVisible() && f.exits.isEmpty());
        QVERIFY(f.state.hires_timer && f.state.hires_frequency > 0);
    }

    void characters_stand_clear_of_the_script()
    {
        WindowFixture f;
        f.start_up();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        const auto script_rect = [&] {
            QMdiSubWindow* w = f.window->script_window();
            return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
        };
        const auto rect_of = [&](const char* id) {
            const pw::agent::Character* c = f.agent.item(QLatin1String(id));
            return QRect(c->left(), c->top(), c->width(), c->height());
        };
        // Where a child clicks and types, no character stands at first.
        for (const char* id : {"Pellwick", "Tansy"})
            QVERIFY2(!rect_of(id).intersects(script_rect()), id);

        // Pellwick alone: in the middle of the screen, but not over the script.
        f.agent.item(QStringLiteral("Tansy"))->show();
        f.window->hide_all_but_pellwick_clicked();
        QVERIFY(!f.agent.item(QStringLiteral("Tansy"))->visible());
        QVERIFY(f.agent.item(QStringLiteral("Pellwick"))->visible());
        QVERIFY(!rect_of("Pellwick").intersects(script_rect()));
        // With the script out of the way the middle of the screen it is.
        f.window->script_window()->hide();
        f.window->hide_all_but_pellwick_clicked();
        QCOMPARE(rect_of("Pellwick").topLeft(), QPoint(f.state.screen_width_px / 2, f.state.screen_height_px / 2));

        // Help, About and System information open beside the characters, who stand
        // where those windows would first go: in the upper middle and right of the frame.
        f.window->showNormal();
        f.window->resize(1024, 768);
        QWidget* frame = f.window->stage_window()->parentWidget();
        const QPoint middle = frame->mapToGlobal(frame->rect().center());
        for (const char* id : {"Pellwick", "Tansy"}) {
            pw::agent::Character* c = f.agent.item(QLatin1String(id));
            c->show();
            c->set_left(middle.x() + (id[0] == 'T' ? frame->width() / 4 : -c->width() / 2));
            c->set_top(middle.y() - frame->height() / 4 - c->height() / 2);
        }
        f.window->show_help_book();
        f.window->about_clicked();
        f.window->show_system_information();
        for (QWidget* w : {static_cast<QWidget*>(f.window->help_book_window()), f.window->about_window()->parentWidget(),
                           f.window->system_information()->parentWidget()}) {
            const QRect opened(w->mapToGlobal(QPoint(0, 0)), w->size());
            for (const char* id : {"Pellwick", "Tansy"})
                QVERIFY2(!rect_of(id).intersects(opened), qPrintable(w->windowTitle() + " under " + id));
        }
    }

    void a_screen_reader_hears_what_every_window_shows()
    {
        WindowFixture f;
        f.start_up();
        f.window->audio_clicked();
        f.window->about_clicked();
        f.window->show_system_information();
        f.window->show_help_book();
        for (QWidget* w : f.window->findChildren<QWidget*>()) {
            const QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            if (!a) continue;
            const QString name = a->text(QAccessible::Name), what = w->metaObject()->className() + (": " + name);
            QVERIFY2(!QRegularExpression(QStringLiteral("^Label\\d*$")).match(name).hasMatch(), qPrintable(what));
            // A label's name is what it shows (a picture's is what is in it).
            if (auto* label = qobject_cast<QLabel*>(w); label && label->pixmap().isNull())
                QCOMPARE(name, label->text().remove(QLatin1Char('&')));
            if (qobject_cast<QAbstractItemView*>(w)) QVERIFY2(!name.isEmpty(), qPrintable(what));
        }
        QVERIFY(!f.window->info()->panel(1)->text().isEmpty());
    }

    void a_missing_file_is_said_and_the_program_ends()
    {
        WindowFixture f;
        f.state.goodbye_pause_ms = 0;
        // The sentence ends from the event loop; the end must wait for it.
        bool said_before_the_end = false;
        f.state.exit_program = [&](int code) {
            said_before_the_end = true;
            for (const auto& i : f.agent.issued())
                if (i.operation == QLatin1String("Speak")) said_before_the_end &= i.request.status() == pw::agent::Request::Complete;
            f.exits << code;
        };
        f.start_up({QStringLiteral("runin"), QStringLiteral("/no/such/folder/x.csp")});
        QTRY_VERIFY(!f.exits.isEmpty());
        QVERIFY(said_before_the_end);

        QVERIFY(f.agent.log().lines_of(QStringLiteral("Speak")).contains(
            QStringLiteral("pellwick Speak \"   Can't find that file.\" \"\""), Qt::CaseInsensitive));
        QCOMPARE(f.exits, QList<int>{1});

        // A sentence that never ends holds the end up only so long. Pellwick says it
        // also when another character comes first in the slots.
        WindowFixture g;
        g.write_file(QStringLiteral("chars/Nubbin.acs"), "ACS");
        g.agent.define_character(QStringLiteral("Nubbin"));
        g.state.goodbye_pause_ms = 0;
        g.window->missing_file_limit = std::chrono::milliseconds(20);
        g.agent.set_completion(pw::fakes::FakeAgent::Completion::Manual);
        g.start_up({QStringLiteral("load"), QStringLiteral("missing.csp")});
        QTRY_COMPARE(g.exits, QList<int>{1});
        QVERIFY(g.agent.log().lines_of(QStringLiteral("Speak")).contains(
            QStringLiteral("pellwick Speak \"   Can't find that file.\" \"\""), Qt::CaseInsensitive));
    }

    void start_up_runs_in_order_and_stops_where_a_check_fails()
    {
        struct Recorder : pw::app::StartUpSteps {
            QStringList steps;
            bool marker = true;
            void enter_program_folder() override { steps << "folder"; }
            bool components_installed() override
            {
                steps << "components";
                return marker;
            }
            void start_component_installer() override { steps << "installer"; }
            void create_clock() override { steps << "clock"; }
            void set_title() override { steps << "title"; }
            void show_splash(std::function<void()> then) override
            {
                steps << "splash";
                then();
            }
            void set_defaults() override { steps << "defaults"; }
            void open_windows(const pw::app::CommandLine& c, std::function<void()> then) override
            {
                steps << QStringLiteral("windows %1").arg(c.mode);
                then();
            }
            void open_file(const pw::app::CommandLine& c) override { steps << QStringLiteral("file ") + c.path; }
        };
        using E = pw::app::StartUpEnd;
        Recorder r;
        QCOMPARE(pw::app::run_start_up(r, {"runin", "a.csp"}), E::Started);
        QCOMPARE(r.steps.join(' '), "folder components clock title splash defaults windows 2 file a.csp");
        Recorder no_marker;
        no_marker.marker = false;
        QCOMPARE(pw::app::run_start_up(no_marker, {}), E::InstallerStarted);
        QCOMPARE(no_marker.steps.join(' '), "folder components installer");

        // The window ends the program when a check stops start-up, before showing itself.
        // While the installer runs (it holds a lock on its file) no second one starts.
        WindowFixture f;
        QFile installer(f.write_file(pw::app::component_installer_name(), "#!/bin/sh\n"));
        QVERIFY(installer.open(QIODevice::ReadOnly));
        QVERIFY(!pw::app::component_installer_running(f.program_dir.path()));
        QCOMPARE(::flock(installer.handle(), LOCK_EX | LOCK_NB), 0);
        QVERIFY(pw::app::component_installer_running(f.program_dir.path()));
        installer.close();
        f.window->set_process_start_up({{}, [] { return false; }, {}});
        f.start_up();
        QCOMPARE(f.exits, QList<int>{0});
        QVERIFY(!f.window->isVisible() && f.window->windowTitle().isEmpty());
    }
};

PW_TEST_CLASS(TestStartUp);
#include "test_start_up.moc"
