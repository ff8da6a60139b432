// The main window's child windows: showing and hiding them, the recorder, Help and
// About, the clock, and the Load/Save window.

#include "app/pellworks_window.h"

#include "app/help_window.h"
#include "app/load_save_window.h"
#include "app/script_window.h"
#include "app/system_information.h"
#include "engine/run_state.h"
#include "media/about_window.h"
#include "media/sound_window.h"
#include "media/clock_window.h"
#include "media/sound_library.h"
#include "platform/core/trace.h"
#include "stage/stage_window.h"
#include "windows/clear_place.h"
#include "windows/message_box.h"
#include "windows/twips.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

namespace pw::app {

using pw::windows::twips_to_px_x;
using pw::windows::twips_to_px_y;

// ---- The children ----

void Pellworks::hide_forms()
{
    stage_window_->hide();
    script_window_->hide();
    sounds_window_->hide();
}

void Pellworks::show_forms()
{
    stage_window_->show();
    script_window_->show();
    sounds_window_->show();
}

void Pellworks::audio_clicked()
{
    if (!audio_) {
        audio_ = new pw::media::SoundWindow(state_);
        audio_->set_sound_library(sounds_);
        audio_window_ = add_child(audio_);
        audio_window_->adjustSize();
    }
    audio_->prepare();
    audio_window_->move(twips_to_px_x(pw::media::SoundWindow::design_left_twips, this),
                        twips_to_px_y(pw::media::SoundWindow::design_top_twips, this));
    // Closed from its title bar, the recorder itself was hidden with its frame.
    audio_->show();
    audio_window_->show();
    area_->setActiveSubWindow(audio_window_);
    audio_->name_box->setFocus(Qt::OtherFocusReason);
}

void Pellworks::help_clicked() { show_help_book(); }


void Pellworks::about_clicked()
{
    // Each opening loads the window afresh.
    if (!about_) {
        about_ = new pw::media::AboutWindow;
        QMdiSubWindow* sub = area_->addSubWindow(about_);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        connect(about_, &pw::media::AboutWindow::closed, sub, &QMdiSubWindow::close);
        connect(sub, &QObject::destroyed, this, [] { pw::trace::event(QStringLiteral("AboutClosed")); });
        connect(about_, &pw::media::AboutWindow::system_information_wanted, this, [this] { show_system_information(); });
    }
    about_->prepare(pw::windows::program_title, state_.version_text);
    about_->version_label->setText(QStringLiteral("V.") + state_.version_text);
    about_->disclaimer_label->setText(
        QStringLiteral("Pellworks is free: share it with your friends, your class and your school.\n"
                       "Made with care for children, their parents and their teachers.\n"
                       "Something wrong? Press Sys Info..., press Copy, and paste it into your note."));
    QMdiSubWindow* sub = qobject_cast<QMdiSubWindow*>(about_->parentWidget());
    sub->adjustSize();
    place_clear_of_characters(sub, QRect(QPoint(0, 0), area_->viewport()->size()).center() - sub->rect().center());
    sub->show();
    area_->setActiveSubWindow(sub);
    about_->ok_button->setFocus(Qt::OtherFocusReason);
}

void Pellworks::show_system_information()
{
    if (!sysinfo_) {
        auto* form = new SystemInformationWindow(state_.program_folder, state_.version_text);
        sysinfo_ = form;
        QMdiSubWindow* sub = area_->addSubWindow(form);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        connect(form->close_button, &QPushButton::clicked, sub, &QMdiSubWindow::close);
        sub->resize(form->size());
        place_clear_of_characters(sub, QRect(QPoint(0, 0), area_->viewport()->size()).center() - sub->rect().center(),
                                  smallest_reading_window.expandedTo(sub->minimumSizeHint()));
    }
    QMdiSubWindow* sub = qobject_cast<QMdiSubWindow*>(sysinfo_->parentWidget());
    sub->show();
    area_->setActiveSubWindow(sub);
}

void Pellworks::place_clear_of_characters(QMdiSubWindow* sub, QPoint wanted, QSize smallest)
{
    // The characters stand on top of every window: one that opens under a character
    // would have its buttons and text hidden from the child.
    const QPoint frame = area_->viewport()->mapToGlobal(QPoint(0, 0));
    QList<QRect> characters = stage_->character_rects();
    for (QRect& r : characters) r.translate(-frame);
    sub->setGeometry(pw::windows::clear_room(sub->size(), smallest.isValid() ? smallest : sub->size(), wanted,
                                           QRect(QPoint(0, 0), area_->viewport()->size()), characters, 16));
}

void Pellworks::show_clock()
{
    if (!clock_window_) {
        clock_ = new pw::media::ClockWindow;
        clock_window_ = area_->addSubWindow(clock_, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        clock_window_->setAttribute(Qt::WA_DeleteOnClose, false);
        clock_window_->adjustSize();
        connect(clock_, &pw::media::ClockWindow::shown_or_hidden, script_, &ScriptWindow::clock_shown_or_hidden);
    }
    // Placed each time: the main window may have changed its size since.
    clock_window_->move(pw::media::ClockWindow::top_right_position(area_->viewport()->width(),
                                                                  clock_window_->width(), this));
    clock_window_->show();
}

void Pellworks::unload_clock()
{
    if (!clock_window_) return;
    // Called by the runner, never from inside the clock's own events: deleting at once
    // is safe, and a deferred delete would wait for the end of the nested loops.
    QMdiSubWindow* sub = clock_window_;
    clock_window_ = nullptr;
    clock_ = nullptr;
    delete sub;
}

pw::media::ClockWindow* Pellworks::clock() const
{
    return clock_window_ ? clock_ : nullptr;
}

void Pellworks::show_load_save()
{
    if (!save_) {
        save_ = new LoadSaveWindow(state_, *script_);
        save_window_ = add_child(save_);
    }
    if (!save_->is_open()) save_->prepare();
    // A close box hid the dialog itself along with its frame.
    save_->show();
    save_window_->show();
    area_->setActiveSubWindow(save_window_);
    save_->file_name_box->setFocus(Qt::OtherFocusReason);
}

}  // namespace pw::app
