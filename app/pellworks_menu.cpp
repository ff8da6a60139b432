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
    mod_.intro_playing = true;
    mod_.options.sequential = true;
    const int pellwick = mod_.char_index(QStringLiteral("pellwick"));
    const auto with_pellwick = [&](const std::function<void(pw::agent::Character&)>& f) {
        if (pellwick >= 0 && mod_.characters[pellwick].agent) step([&] { f(*mod_.characters[pellwick].agent); });
    };
    with_pellwick([&](pw::agent::Character& c) { mod_.characters[pellwick].request = c.show(); });
    step([&] { mod_.char_say(pellwick, QStringLiteral("Hi, I'm Pellwick. Here are my friends!")); });
    for (int i = 0; i < mod_.char_count && i < mod_.slot_count(); ++i) {
        pw::agent::Character* c = mod_.characters[i].loaded ? mod_.characters[i].agent : nullptr;
        if (i == pellwick || !c) continue;
        step([&] {
            const int x = mod_.random_int(mod_.screen_width_px - c->width());
            const int y = mod_.random_int(mod_.screen_height_px - c->height());
            c->set_top(y);
            c->set_left(x);
            mod_.characters[i].request = c->show();
        });
        step([&] { mod_.char_say(i, QStringLiteral("Hi! I'm ") + c->name() + QStringLiteral(".")); });
        step([&] { mod_.characters[i].request = c->hide(); });
    }
    with_pellwick([&](pw::agent::Character& c) { mod_.characters[pellwick].request = c.show(); });
    with_pellwick([&](pw::agent::Character& c) {
        mod_.characters[pellwick].request = c.think(QStringLiteral("I hope this smart kid likes them. I do!"));
    });
    step([&] { mod_.char_say(pellwick, QStringLiteral("Hope you like them. I do!")); });
    step([&] { mod_.char_play(pellwick, QStringLiteral("pleased")); });
    step([&] {
        mod_.char_play(pellwick, QStringLiteral("pleased"));
        mod_.intro_request = mod_.characters[pellwick].request;
    });
}

void Pellworks::hide_all_clicked()
{
    for (int i = 0; i < mod_.char_count && i < mod_.slot_count(); ++i) {
        pw::agent::Character* c = mod_.characters[i].loaded ? mod_.characters[i].agent : nullptr;
        try {
            if (c) c->hide();
        } catch (const std::exception&) {
        }
    }
}

void Pellworks::hide_all_but_pellwick_clicked()
{
    hide_all_clicked();
    const int slot = mod_.char_index(QStringLiteral("pellwick"));
    pw::agent::Character* c = slot >= 0 && mod_.characters[slot].loaded ? mod_.characters[slot].agent : nullptr;
    if (!c) return;
    try {
        // His top-left corner in the middle of the screen, unless that puts him over
        // the script.
        const QPoint middle(int(pw::engine::round_half_even(mod_.screen_width_px / 2.0)),
                            int(pw::engine::round_half_even(mod_.screen_height_px / 2.0)));
        const QPoint place = stage_->place_clear_of_script(middle, QSize(c->width(), c->height()));
        c->set_top(place.y());
        c->set_left(place.x());
        c->show();
    } catch (const std::exception&) {
    }
}

}  // namespace pw::app
