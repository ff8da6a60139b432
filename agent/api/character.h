#pragma once
// One loaded character, as programs see it. Queued operations return a Request and
// come back at once; the character works through its queue in order while the event
// loop runs. Failures throw AgentError.

#include "agent/api/commands.h"
#include "agent/api/request.h"

#include <QString>
#include <QStringList>

namespace pw::agent {

class Character {
public:
    virtual ~Character() = default;

    // The id it was loaded under (the file name without ".acs").
    virtual QString id() const = 0;
    // The Name property: the name inside the character file.
    virtual QString name() const = 0;

    virtual bool visible() const = 0;
    // Geometry in screen pixels (16-bit values on the platform).
    virtual int left() const = 0;
    virtual int top() const = 0;
    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual void set_left(int x) = 0;
    virtual void set_top(int y) = 0;
    virtual void set_width(int w) = 0;
    virtual void set_height(int h) = 0;

    virtual Request show(bool fast = false) = 0;
    virtual Request hide(bool fast = false) = 0;
    virtual Request play(const QString& animation) = 0;  // 0x80042003 when unknown
    // Speaks text, or, when url is not empty, plays that wave file as its voice.
    virtual Request speak(const QString& text, const QString& url = {}) = 0;
    virtual Request think(const QString& text) = 0;
    // x, y: the new top-left corner; speed: duration of the move in ms, 0 jumps.
    virtual Request move_to(int x, int y, int speed = 1000) = 0;
    // Waits, in this character's queue, until another character's request has ended.
    virtual Request wait(const Request& other) = 0;

    // Stops the given request, or with a null request the current one and the queue.
    virtual void stop(const Request& request = {}) = 0;
    // types: comma-separated kinds ("Move", "Speak", "Play", "Get"...), case ignored;
    // empty: everything.
    virtual void stop_all(const QString& types = {}) = 0;

    virtual void activate(int state = 1) = 0;
    // Starts (true) or stops (false) listening for the character's voice commands.
    virtual bool listen(bool on) = 0;

    virtual int language_id() const = 0;
    virtual void set_language_id(int id) = 0;

    // Every animation of the character, in the file's order, as authored.
    virtual QStringList animation_names() const = 0;
    virtual Commands& commands() = 0;
};

}  // namespace pw::agent
