// The main window's menu, and what its Character items do to the characters.

#include "app/pellworks_window.h"

#include "engine/rounding.h"
#include "engine/run_state.h"
#include "platform/core/trace.h"
#include "stage/stage_window.h"
#include "windows/twips.h"

#include <QMenu>
#include <QMenuBar>

#include <exception>
#include <functional>

namespace pw::app {

// ---- The menu ----

void Pellworks::build_menu()
{
    menu_bar_ = menuBar();
    // The underlined letters let the menu work from the keyboard (Alt+letter).
    exit = menuBar()->addAction(QStringLiteral("E&xit"));
    get_character = menuBar()->addMenu(QStringLiteral("&Character"));
    show_all = get_character->addAction(QStringLiteral("&Show All"));
    hide_all = get_character->addAction(QStringLiteral("&Hide All"));
    hide_all_but_pellwick = get_character->addAction(QStringLiteral("Hide All but &Pellwick"));
    audio = menuBar()->addAction(QStringLiteral("&Record Audio"));
    build_window_menu();
    help = menuBar()->addAction(QStringLiteral("&Help"));
    about = menuBar()->addAction(QStringLiteral("&About"));
    for (QAction* a : {exit, show_all, hide_all, hide_all_but_pellwick, audio, help, about}) {
        a->setObjectName(QString(a->text()).remove(QLatin1Char('&')));
        connect(a, &QAction::triggered, this, [a] { pw::trace::event(QStringLiteral("Menu"), {pw::trace::quote(a->objectName())}); });
    }
    connect(exit, &QAction::triggered, this, [this] { exit_clicked(); });
    connect(show_all, &QAction::triggered, this, [this] { show_all_clicked(); });
    connect(hide_all, &QAction::triggered, this, [this] { hide_all_clicked(); });
    connect(hide_all_but_pellwick, &QAction::triggered, this, [this] { hide_all_but_pellwick_clicked(); });
    connect(audio, &QAction::triggered, this, [this] { audio_clicked(); });
    connect(help, &QAction::triggered, this, [this] { help_clicked(); });
    connect(about, &QAction::triggered, this, [this] { about_clicked(); });
}

void Pellworks::exit_clicked() { confirm_quit(); }

void Pellworks::show_all_clicked()
{
    // A character that fails is left out; the others still get their turn.
    const auto step = [](const std::function<void()>& f) {
        try {
            f();
        } catch (const std::exception&) {
        }
    };
    state_.intro_playing = true;
    state_.options.sequential = true;
    const int pellwick = state_.char_index(QStringLiteral("pellwick"));
    const auto with_pellwick = [&](const std::function<void(pw::agent::Character&)>& f) {
        if (pellwick >= 0 && state_.characters[pellwick].agent) step([&] { f(*state_.characters[pellwick].agent); });
    };
    with_pellwick([&](pw::agent::Character& c) { state_.characters[pellwick].request = c.show(); });
    step([&] { state_.char_say(pellwick, QStringLiteral("Hi, I'm Pellwick. Here are my friends!")); });
    for (int i = 0; i < state_.char_count && i < state_.slot_count(); ++i) {
        pw::agent::Character* c = state_.characters[i].loaded ? state_.characters[i].agent : nullptr;
        if (i == pellwick || !c) continue;
        step([&] {
            const int x = state_.random_int(state_.screen_width_px - c->width());
            const int y = state_.random_int(state_.screen_height_px - c->height());
            c->set_top(y);
            c->set_left(x);
            state_.characters[i].request = c->show();
        });
        step([&] { state_.char_say(i, QStringLiteral("Hi! I'm ") + c->name() + QStringLiteral(".")); });
        step([&] { state_.characters[i].request = c->hide(); });
    }
    with_pellwick([&](pw::agent::Character& c) { state_.characters[pellwick].request = c.show(); });
    with_pellwick([&](pw::agent::Character& c) {
        state_.characters[pellwick].request = c.think(QStringLiteral("I hope this smart kid likes them. I do!"));
    });
    step([&] { state_.char_say(pellwick, QStringLiteral("Hope you like them. I do!")); });
    step([&] { state_.char_play(pellwick, QStringLiteral("pleased")); });
    step([&] {
        state_.char_play(pellwick, QStringLiteral("pleased"));
        state_.intro_request = state_.characters[pellwick].request;
    });
}

void Pellworks::hide_all_clicked()
{
    for (int i = 0; i < state_.char_count && i < state_.slot_count(); ++i) {
        pw::agent::Character* c = state_.characters[i].loaded ? state_.characters[i].agent : nullptr;
        try {
            if (c) c->hide();
        } catch (const std::exception&) {
        }
    }
}

void Pellworks::hide_all_but_pellwick_clicked()
{
    hide_all_clicked();
    const int slot = state_.char_index(QStringLiteral("pellwick"));
    pw::agent::Character* c = slot >= 0 && state_.characters[slot].loaded ? state_.characters[slot].agent : nullptr;
    if (!c) return;
    try {
        // His top-left corner in the middle of the screen, unless that puts him over
        // the script.
        const QPoint middle(int(pw::engine::round_half_even(state_.screen_width_px / 2.0)),
                            int(pw::engine::round_half_even(state_.screen_height_px / 2.0)));
        const QPoint place = stage_->place_clear_of_script(middle, QSize(c->width(), c->height()));
        c->set_top(place.y());
        c->set_left(place.x());
        c->show();
    } catch (const std::exception&) {
    }
}

}  // namespace pw::app
