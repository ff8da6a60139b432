#pragma once
// What the run state keeps about one character slot.

#include "agent/api/character.h"
#include "agent/api/request.h"

#include <QSize>
#include <QString>

namespace pw::engine {

struct RunCharacter {
    // The id it was loaded by (empty: a free slot).
    QString id;
    pw::agent::Character* agent = nullptr;  // not owned: the agent control owns it
    bool loaded = false;
    // The last request made of it, the one a run waits for.
    pw::agent::Request request;
    // Its size now and the size its file gives it.
    QSize size{0, 0};
    QSize default_size{0, 0};
};

}  // namespace pw::engine
