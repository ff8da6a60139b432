// The sound library (its list follows the folder and Program's text, the cases in
// tests/app/sounds; Hear me) and the audio recorder (a take from PELLWORKS_MIC_FILE kept
// whole and played by a script, thrown away only after a yes, kept through a save that
// failed, refused names, overwriting only after a yes, no microphone), inside the main
// window.

#include "window_cases.h"
#include "../recognition/speech_fixtures.h"

#include "agent/acs/wav_audio.h"
#include "agent/voice/mono_resampler.h"
#include "agent/voice/recorded_microphone.h"
#include "media/sound_window.h"
#include "media/level_meter.h"
#include "media/sound_library.h"
#include "engine/spoken_questions.h"
#include "agent/voice/wave_device.h"
#include "agent/voice/wave_recorder.h"
#include "tests/test_classes.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <chrono>

using pw::media::SoundWindow;

namespace {

// A tone at half of full scale, 16 kHz mono.
pw::acs::PcmAudio tone(int ms) { return pw::test::tone(16000, 1, 180, ms, 16000); }

struct SoundsFixture : WindowFixture {
    QString folder = program_dir.filePath(QStringLiteral("wav"));

    SoundsFixture()
    {
        QDir().mkpath(folder);
        pellwick();
        state.current_char = QStringLiteral("Pellwick");
    }
    ~SoundsFixture() { qunsetenv("PELLWORKS_MIC_FILE"); }

    pw::media::SoundLibrary& library() const { return *window->sound_library(); }
    SoundWindow& recorder()
    {
        if (!window->recorder()) window->audio_clicked();
        return *window->recorder();
    }
    void put(const QString& name, const QByteArray& bytes) const
    {
        QFile f(folder + QLatin1Char('/') + name);
        if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    }
    QStringList files() const { return QDir(folder).entryList(QDir::Files | QDir::Hidden); }
    bool has_said(const QString& text) { return said().contains(text); }
    // Activates the sound as a double click does.
    void activate(const QString& name)
    {
        QListWidget* list = library().sound_list;
        list->setCurrentItem(list->findItems(name, Qt::MatchExactly).value(0));
        QTest::keyClick(list, Qt::Key_Return);
    }
    void record_from(const QString& mic_file, const QString& name)
    {
        qputenv("PELLWORKS_MIC_FILE", mic_file.toLocal8Bit());
        recorder().name_box->setText(name);
        recorder().action_button_clicked(0);
        question_over();
    }
    // A question holds any run while it is open.
    void question_over()
    {
        QVERIFY(QTest::qWaitFor([this] { return !state.run_held(); }));
    }
};

}  // namespace

class TestSoundWindows : public QObject {
    Q_OBJECT

private slots:
    // The list following the folder, and Program: the cases in tests/app/sounds.
    void each_case_reads_as_its_transcript_data() { pw::window_cases::add_rows(QStringLiteral(PW_SOURCE_DIR "/tests/app/sounds")); }
    void each_case_reads_as_its_transcript() { pw::window_cases::check_row(QStringLiteral(PW_SOURCE_DIR "/tests/app/sounds")); }

    void hear_me_ends_on_a_broken_file_and_esc_stops_it()
    {
        SoundsFixture f;
        f.put(QStringLiteral("Chime.wav"), pw::acs::encode_wav(tone(150)));
        f.put(QStringLiteral("broken.wav"), "RIFF\x10\0\0\0WAVEjunk");
        f.library().prepare();
        auto& editor = f.script();

        // Hear me plays the file without holding the windows up; its end, or a file
        // that cannot be played, sets stop_sound.
        f.library().mode_choice[0]->setChecked(true);
        for (const QString& name : {QStringLiteral("chime"), QStringLiteral("broken")}) {
            editor.set_editor_text(QStringLiteral("wave"));
            if (name == QStringLiteral("broken"))
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Cannot play the sound .*broken.wav")));
            f.activate(name);
            QTRY_VERIFY_WITH_TIMEOUT(f.state.stop_sound, 20000);
            QCOMPARE(QFileInfo(editor.wave_player->file_name()).fileName().toLower(), name + QStringLiteral(".wav"));
            QVERIFY(!editor.wave_player->is_playing());
            QCOMPARE(editor.editor_text(), QStringLiteral("wave"));
        }

        // Esc in the library stops a long sound, and cancels as it does elsewhere.
        f.put(QStringLiteral("long.wav"), pw::acs::encode_wav(tone(15000)));
        f.library().get_sounds();
        f.window->show();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        f.library().sound_list->setFocus();
        f.activate(QStringLiteral("long"));
        QVERIFY(editor.wave_player->is_playing());
        QTest::keyClick(f.library().sound_list, Qt::Key_Escape);
        QTRY_VERIFY(f.state.cancel_requested);
        QTRY_VERIFY(!editor.wave_player->is_playing());
    }

    void a_recording_is_kept_whole_listed_at_once_and_played_by_a_script()
    {
        SoundsFixture f;
        const pw::acs::PcmAudio heard = tone(3000);
        f.library().prepare();
        f.record_from(f.write_file(QStringLiteral("mic.wav"), pw::acs::encode_wav(heard)), QStringLiteral(" My Voice "));
        SoundWindow& r = f.recorder();
        QVERIFY(r.is_recording());
        QVERIFY(!r.action_buttons[0]->isEnabled() && r.action_buttons[1]->isEnabled() && r.action_buttons[2]->isEnabled());
        QTRY_VERIFY(r.sound_recorder->recorded_ms() >= 1200);
        QVERIFY(r.level_meter->shown_level() > 0.5);
        QVERIFY(f.files().isEmpty());  // nothing on disk before Save

        r.action_button_clicked(1);
        QVERIFY(f.window->recorder_window()->isHidden());
        QCOMPARE(f.files(), QStringList{QStringLiteral("My Voice.wav")});
        const pw::acs::PcmAudio saved = pw::acs::decode_wav_file(r.target_path());
        QCOMPARE(saved.sample_rate, 16000);
        QCOMPARE(saved.channels, 1);
        QVERIFY(saved.duration_ms() >= 1200);
        // What the microphone heard, from its start, and as long as the window showed.
        QCOMPARE(saved.samples, pw::voice::to_recogniser_audio(heard).left(saved.samples.size()));
        const qint64 s = saved.duration_ms() / 1000;
        QCOMPARE(r.elapsed->text(), QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0')));
        QCOMPARE(f.library().sound_list->findItems(QStringLiteral("my voice"), Qt::MatchExactly).size(), 1);

        f.script().script_text->setPlainText(QStringLiteral("interval 0\r\nsound my voice"));
        f.play();
        QCOMPARE(f.script().wave_player->file_name(), r.target_path());
        QVERIFY(f.messages.isEmpty());

        // Opened again, the recorder starts idle.
        f.window->audio_clicked();
        QVERIFY(!r.isHidden() && !f.window->recorder_window()->isHidden() && r.name_box->text().isEmpty());
        QVERIFY(r.action_buttons[0]->isEnabled() && !r.action_buttons[1]->isEnabled());
    }

    void a_take_stops_by_itself_at_its_longest()
    {
        SoundsFixture f;
        const QString mic = f.write_file(QStringLiteral("mic.wav"), pw::acs::encode_wav(tone(2000)));
        pw::voice::WaveRecorder recorder;
        recorder.set_microphone_factory([mic] { return std::make_unique<pw::voice::RecordedMicrophone>(mic); });
        QSignalSpy longest(&recorder, &pw::voice::WaveRecorder::longest_reached);
        recorder.start(300);
        QVERIFY(longest.wait(5000));
        QVERIFY(!recorder.is_recording());
        QCOMPARE(recorder.stop().size(), 300 * 16 * 2);
    }

    void a_take_that_could_not_be_saved_stays_until_it_is()
    {
        SoundsFixture f;
        f.state.wait_idle_limit = std::chrono::milliseconds(50);
        f.record_from(f.write_file(QStringLiteral("mic.wav"), pw::acs::encode_wav(tone(2000))), QStringLiteral("blocked"));
        SoundWindow& r = f.recorder();
        QTRY_VERIFY(r.sound_recorder->recorded_ms() > 200);
        // A folder in the sound's place: nothing can be written there, not even by root.
        QVERIFY(QDir(f.folder).mkdir(QStringLiteral("blocked.wav")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("could not be written")));
        r.action_button_clicked(1);
        QVERIFY(f.has_said(SoundWindow::not_saved_sentence()));
        QVERIFY(!r.is_recording() && r.action_buttons[1]->isEnabled() && !r.name_box->isReadOnly());

        // Quit, the close box, Exit and the menu keep it while nobody double-clicks.
        r.action_button_clicked(2);
        f.question_over();
        f.window->recorder_window()->close();
        f.question_over();
        QCOMPARE(f.said().count(pw::engine::discard_sound_question()), 2);
        f.window->exit_clicked();
        QVERIFY(f.has_said(pw::engine::quit_unsaved_sound_question()));
        QVERIFY(f.exits.isEmpty());
        f.window->audio_clicked();
        QVERIFY(!f.window->recorder_window()->isHidden() && r.action_buttons[1]->isEnabled());

        // Saved under another name (the longest one a file may have), the whole take.
        r.name_box->setText(QString(244, QLatin1Char('a')));
        r.action_button_clicked(1);
        QVERIFY(f.window->recorder_window()->isHidden() && !r.has_unsaved_take());
        QVERIFY(pw::acs::decode_wav_file(r.target_path()).duration_ms() > 200);
        QVERIFY(f.files().contains(QFileInfo(r.target_path()).fileName()));
    }

    void unsafe_names_and_no_microphone_are_told()
    {
        SoundsFixture f;
        const QString mic = f.write_file(QStringLiteral("mic.wav"), pw::acs::encode_wav(tone(500)));
        for (const QString& name : {QString(), QStringLiteral("   "), QStringLiteral("../up"), QStringLiteral("a/b"),
                                    QStringLiteral("a\\b"), QStringLiteral(".hidden"), QStringLiteral("tab\there"),
                                    QStringLiteral("line\nbreak"), QString(245, QLatin1Char('a')),
                                    QString(123, QChar(0xe9))}) {
            const int before = f.said().size();
            f.record_from(mic, name);
            QVERIFY2(!f.recorder().is_recording(), qPrintable(name));
            QCOMPARE(f.said().size(), before + 1);
            QVERIFY(f.recorder().action_buttons[0]->isEnabled() && !f.recorder().action_buttons[1]->isEnabled());
        }
        QVERIFY(f.has_said(QStringLiteral("Silly, you have to type in a file name!")));
        QCOMPARE(QDir(f.program_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("mic.wav")});

        // No microphone: said, and nothing recorded.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("nowhere.wav.*cannot be used")));
        f.record_from(f.program_dir.filePath(QStringLiteral("nowhere.wav")), QStringLiteral("voice"));
        QTRY_VERIFY(f.has_said(SoundWindow::no_microphone_sentence()));
        QVERIFY(!f.recorder().is_recording());
        QVERIFY(f.recorder().action_buttons[0]->isEnabled() && !f.recorder().action_buttons[1]->isEnabled());
        QVERIFY(f.files().isEmpty());
    }

    void recording_over_a_sound_or_throwing_a_take_away_needs_a_double_click()
    {
        SoundsFixture f;
        const QString mic = f.write_file(QStringLiteral("mic.wav"), pw::acs::encode_wav(tone(2000)));
        f.put(QStringLiteral("Drum.wav"), "old");
        auto old_kept = [&f] {
            QFile file(f.folder + QStringLiteral("/Drum.wav"));
            return file.open(QIODevice::ReadOnly) && file.readAll() == "old";
        };

        // Nobody answers: the question ends, nothing records, nothing is replaced.
        f.record_from(mic, QStringLiteral("drum"));
        QVERIFY(f.has_said(pw::engine::overwrite_question()));
        QVERIFY(!f.recorder().is_recording() && !f.recorder().action_buttons[1]->isEnabled());
        QVERIFY(old_kept());

        // A double click while the question lasts says yes: the new take replaces the
        // sound under its name on disk, once saved.
        f.agent.post_dbl_click(QStringLiteral("Pellwick"));
        f.record_from(mic, QStringLiteral("drum"));
        QVERIFY(f.has_said(QStringLiteral("OK, I saved it!")));
        QVERIFY(f.recorder().is_recording());
        QVERIFY(old_kept());
        QTRY_VERIFY(f.recorder().sound_recorder->recorded_ms() > 200);
        f.recorder().action_button_clicked(1);
        QCOMPARE(f.files(), QStringList{QStringLiteral("Drum.wav")});
        QVERIFY(pw::acs::decode_wav_file(f.folder + QStringLiteral("/Drum.wav")).duration_ms() > 200);

        // Quit and the close box throw a take away after a double click.
        f.window->audio_clicked();
        for (const bool by_close_box : {false, true}) {
            f.record_from(mic, QStringLiteral("gone"));
            QTRY_VERIFY(f.recorder().sound_recorder->recorded_ms() > 200);
            // A double click comes while the question is asked.
            f.agent.post_dbl_click(QStringLiteral("Pellwick"));
            if (by_close_box) f.window->recorder_window()->close();
            else f.recorder().action_button_clicked(2);
            f.question_over();
            QVERIFY(f.has_said(QStringLiteral("OK, I'll throw it away!")));
            QVERIFY(f.has_said(pw::engine::discard_sound_question()));
            QVERIFY(!f.recorder().is_recording() && !f.recorder().has_unsaved_take());
            QVERIFY(f.window->recorder_window()->isHidden());
            QCOMPARE(f.files(), QStringList{QStringLiteral("Drum.wav")});
            f.window->audio_clicked();
        }
    }
};

PW_TEST_CLASS(TestSoundWindows);
#include "test_sound_windows.moc"
