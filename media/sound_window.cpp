#include "media/sound_window.h"

#include "agent/acs/wav_audio.h"
#include "engine/spoken_questions.h"
#include "media/level_meter.h"
#include "media/sound_library.h"
#include "media/sound_names.h"
#include "platform/core/user_folders.h"
#include "agent/voice/wave_recorder.h"
#include "windows/style.h"
#include "windows/twips.h"
#include "windows/window_waits.h"

#include <QCloseEvent>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

namespace pw::media {

namespace {

using pw::voice::WaveRecorder;

// The whole file or nothing: written beside its place and renamed into it.
bool write_sound(const QString& path, const QByteArray& samples)
{
    pw::acs::PcmAudio audio;
    audio.sample_rate = WaveRecorder::sample_rate;
    audio.channels = 1;
    audio.samples = samples;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(pw::acs::encode_wav(audio));
    return file.commit();
}

QString length_text(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

SoundWindow::SoundWindow(pw::engine::RunState& state, QWidget* parent) : QWidget(parent), state_(state)
{
    build_controls();
    prepare();
}

SoundWindow::~SoundWindow() = default;

void SoundWindow::build_controls()
{
    setWindowTitle(QStringLiteral("Record Audio"));
    setWindowIcon(windows::style::icon(QStringLiteral("microphone")));
    windows::style::dress(this);

    action_buttons[0] = new QPushButton(QStringLiteral("Record"), this);
    action_buttons[1] = new QPushButton(QStringLiteral("Save"), this);
    action_buttons[2] = new QPushButton(QStringLiteral("Quit"), this);
    windows::style::dress_button(action_buttons[0], "main", QStringLiteral("microphone"));
    windows::style::dress_button(action_buttons[1], "secondary", QStringLiteral("tick"));
    windows::style::dress_button(action_buttons[2], "stop", QStringLiteral("cross"));
    name_label = new QLabel(QStringLiteral("FileName"), this);
    name_box = new QLineEdit(this);
    name_box->setAccessibleName(QStringLiteral("FileName"));
    name_box->setPlaceholderText(QStringLiteral("my sound"));
    name_label->setBuddy(name_box);
    level_meter = new LevelMeter(this);
    elapsed = new QLabel(this);
    elapsed->setAccessibleDescription(QStringLiteral("Recording time"));  // the time itself is its name
    elapsed->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Room for "0:00" in bold without the label growing as the time runs.
    elapsed->setMinimumWidth(elapsed->fontMetrics().horizontalAdvance(QStringLiteral("00:00")) + 8);
    sound_recorder = new WaveRecorder(this);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : action_buttons) buttons->addWidget(b);
    auto* name_row = new QHBoxLayout;
    name_row->addWidget(name_label);
    name_row->addWidget(name_box, 1);
    auto* meter_row = new QHBoxLayout;
    meter_row->addWidget(level_meter, 1);
    meter_row->addWidget(elapsed);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(buttons);
    layout->addLayout(name_row);
    layout->addLayout(meter_row);
    setMinimumSize(pw::windows::twips_rect(0, 0, design_width_twips, design_height_twips, this).size()
                       .expandedTo(sizeHint()));
    setTabOrder(name_box, action_buttons[0]);
    setTabOrder(action_buttons[0], action_buttons[1]);
    setTabOrder(action_buttons[1], action_buttons[2]);

    for (int i = 0; i < int(action_buttons.size()); ++i)
        connect(action_buttons[i], &QPushButton::clicked, this, [this, i] { action_button_clicked(i); });
    connect(name_box, &QLineEdit::returnPressed, this, [this] {
        if (action_buttons[0]->isEnabled()) action_button_clicked(0);
    });
    connect(sound_recorder, &WaveRecorder::heard, this, [this](double level, qint64 ms) {
        level_meter->set_level(level);
        show_length(ms);
    });
    connect(sound_recorder, &WaveRecorder::longest_reached, this, [this] { level_meter->reset(); });
    connect(sound_recorder, &WaveRecorder::unavailable, this, [this] {
        // A microphone that went away mid-take leaves what it heard to be saved.
        show_idle();
        say(no_microphone_sentence());
    });
}

QString SoundWindow::folder() const
{
    return pw::folders::sounds_folder(state_.user_folder);
}

void SoundWindow::prepare()
{
    // Opened again while a take waits: the child finds it as they left it.
    if (is_recording() || has_unsaved_take()) return;
    sound_recorder->stop();
    name_box->clear();
    target_.clear();
    show_recording(false);
    action_buttons[1]->setEnabled(false);
    show_length(0);
    name_box->setFocus(Qt::OtherFocusReason);
}

bool SoundWindow::is_recording() const
{
    return sound_recorder->is_recording();
}

bool SoundWindow::has_unsaved_take() const
{
    return sound_recorder->recorded_ms() > 0 || !take_.isEmpty();
}

void SoundWindow::action_button_clicked(int index)
{
    switch (index) {
    case 0: record(); break;
    case 1: save(); break;
    case 2: quit(); break;
    default: break;
    }
}

void SoundWindow::record()
{
    if (asking_ || sound_recorder->is_recording()) return;
    const QString refusal = sound_name_refusal(name_box->text());
    if (!refusal.isEmpty()) {
        say(refusal);
        return;
    }
    const QString path = sound_file_path(folder(), name_box->text().trimmed());
    if (!QFileInfo::exists(path)) {
        start_recording(path);
        return;
    }
    ask(&pw::windows::confirm_overwrite, [this, path] {
        // Closed while the question was asked: no recording behind the child's back.
        if (!isHidden() && !frame()->isHidden()) start_recording(path);
    });
}

void SoundWindow::start_recording(const QString& path)
{
    target_ = path;
    take_.clear();
    show_recording(true);
    action_buttons[1]->setEnabled(true);
    sound_recorder->start(longest_recording_ms);
}

void SoundWindow::ask(Question question, std::function<void()> on_yes)
{
    // Without a current character, Pellwick asks.
    if (state_.char_index(state_.current_char) < 0) state_.current_char = QStringLiteral("pellwick");
    asking_ = true;
    action_buttons[0]->setEnabled(false);
    action_buttons[1]->setEnabled(false);
    question(state_, this, [this, on_yes = std::move(on_yes)](bool yes) {
        asking_ = false;
        show_idle();
        if (yes) on_yes();
    });
}

void SoundWindow::save()
{
    if (asking_ || target_.isEmpty()) return;
    end_take();
    show_idle();
    // After a save that failed, the child may have typed another name.
    const QString refusal = sound_name_refusal(name_box->text());
    if (!refusal.isEmpty()) {
        say(refusal);
        return;
    }
    const QString path = sound_file_path(folder(), name_box->text().trimmed());
    if (path != target_ && QFileInfo::exists(path)) {
        ask(&pw::windows::confirm_overwrite, [this, path] { keep_take(path); });
        return;
    }
    keep_take(path);
}

void SoundWindow::keep_take(const QString& path)
{
    target_ = path;
    if (!write_sound(target_, take_)) {
        qWarning().noquote() << "The recording could not be written to" << target_;
        say(not_saved_sentence());
        return;
    }
    take_.clear();
    show_idle();
    if (library_) library_->get_sounds();
    unload();
}

bool SoundWindow::quit()
{
    end_take();
    show_idle();
    if (!has_unsaved_take()) {
        unload();
        return true;
    }
    if (!asking_) {
        ask(&pw::windows::confirm_discard_sound, [this] {
            take_.clear();
            show_idle();
            unload();
        });
    }
    return false;
}

void SoundWindow::end_take()
{
    const bool recording = sound_recorder->is_recording();
    QByteArray heard = sound_recorder->stop();
    // A take that already ended by itself is still in the recorder.
    if (recording || !heard.isEmpty()) take_ = std::move(heard);
}

void SoundWindow::show_idle()
{
    show_recording(false);
    action_buttons[1]->setEnabled(!asking_ && has_unsaved_take());
}

void SoundWindow::closeEvent(QCloseEvent* event)
{
    if (quit()) QWidget::closeEvent(event);
    else event->ignore();
}

QWidget* SoundWindow::frame()
{
    QWidget* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    return sub ? sub : this;
}

void SoundWindow::unload()
{
    frame()->hide();
}

void SoundWindow::show_recording(bool on)
{
    action_buttons[0]->setEnabled(!on);
    action_buttons[2]->setEnabled(true);
    name_box->setReadOnly(on);
    if (!on) level_meter->reset();
    windows::style::set_state(elapsed, "recording", on);
}

void SoundWindow::show_length(qint64 ms)
{
    const QString text = length_text(ms);
    if (elapsed->text() != text) elapsed->setText(text);
}

void SoundWindow::say(const QString& text)
{
    int slot = state_.char_index(state_.current_char);
    if (slot < 0) slot = state_.char_index(QStringLiteral("pellwick"));
    if (slot < 0 || slot >= state_.slot_count() || !state_.characters[slot].agent) return;
    try {
        if (!state_.characters[slot].agent->visible()) state_.characters[slot].request = state_.characters[slot].agent->show();
        state_.char_say(slot, text);
    } catch (const std::exception&) {
        // A character that cannot speak leaves the window as it is.
    }
}

}  // namespace pw::media
