#pragma once
// A character of the fake platform: keeps its geometry, visibility and commands, and
// records every operation and property write in the agent's log. Reads are not logged.

#include "agent/api/character.h"

#include <QString>
#include <QStringList>

namespace pw::fakes {

class FakeAgent;

struct FakeTraits {
    QString name;                 // the Name property; the id when empty
    QStringList animations{QStringLiteral("RestPose"), QStringLiteral("Wave"),
                           QStringLiteral("Greet")};
    int width = 128;
    int height = 128;
};

class FakeCharacter : public pw::agent::Character {
public:
    FakeCharacter(FakeAgent& agent, QString id, FakeTraits traits);

    QString id() const override { return id_; }
    QString name() const override { return name_; }

    bool visible() const override { return visible_; }
    int left() const override { return left_; }
    int top() const override { return top_; }
    int width() const override { return width_; }
    int height() const override { return height_; }
    void set_left(int x) override;
    void set_top(int y) override;
    void set_width(int w) override;
    void set_height(int h) override;

    pw::agent::Request show(bool fast = false) override;
    pw::agent::Request hide(bool fast = false) override;
    pw::agent::Request play(const QString& animation) override;
    pw::agent::Request speak(const QString& text, const QString& url = {}) override;
    pw::agent::Request think(const QString& text) override;
    pw::agent::Request move_to(int x, int y, int speed = 1000) override;
    pw::agent::Request wait(const pw::agent::Request& other) override;

    void stop(const pw::agent::Request& request = {}) override;
    void stop_all(const QString& types = {}) override;
    void activate(int state = 1) override;
    bool listen(bool on) override;

    int language_id() const override { return language_id_; }
    void set_language_id(int id) override;

    QStringList animation_names() const override { return animations_; }
    pw::agent::Commands& commands() override { return commands_; }

    // Test side: change state without logging.
    void place(int x, int y) { left_ = x; top_ = y; }
    void resize(int w, int h) { width_ = w; height_ = h; }
    void set_shown(bool on) { visible_ = on; }
    bool is_listening() const { return listening_; }
    void end_listening() { listening_ = false; }
    void mark_unloaded() { unloaded_ = true; }

private:
    // Logs the call, then throws when the agent was told to fail it or when the
    // character was unloaded already (a use after unload is a fault of the caller).
    void call(const QString& operation, const QStringList& args = {});
    pw::agent::Request queue(const QString& operation, const QStringList& args);

    FakeAgent& agent_;
    QString id_;
    QString name_;
    QStringList animations_;
    bool visible_ = false;
    int left_ = 0;
    int top_ = 0;
    int width_;
    int height_;
    int language_id_ = 0x0409;
    bool listening_ = false;
    bool unloaded_ = false;
    pw::agent::Commands commands_;
};

}  // namespace pw::fakes
