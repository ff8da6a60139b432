#pragma once
// One case of the character runtime: the platform, with windows that record what they
// are asked to show, plays the case's steps; the frames, windows, balloons, requests
// and events of every character go into one transcript, in order (cases/README.md).
// Time is the real clock with the short timings of the cases; a step that waits
// names what it waits for, so a transcript does not hang on how fast the machine is.

#include "agent/runtime/agent_platform.h"
#include "agent/runtime/character_view.h"
#include "agent/voice/voice_input.h"
#include "case_sketch.h"

#include <QHash>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace pw::runtime_cases {

class CaseWorld;

class CaseView : public agent::CharacterView {
public:
    CaseView(CaseWorld& world, const QString& id);
    ~CaseView() override;

    void set_listener(agent::CharacterViewListener* l) override { listener = l; }
    void set_frame(const QImage& frame) override;
    void set_geometry(const QRect& r) override;
    void set_visible(bool on) override;
    void show_balloon(agent::BalloonKind kind, const QString& text, const acs::BalloonInfo&) override;
    void reveal_balloon_text(int chars) override;
    void hide_balloon() override;
    void show_menu(const QList<agent::CommandEntry>& entries, QPoint) override;
    void activate() override;
    void bring_forward() override;

    agent::CharacterViewListener* listener = nullptr;
    // Some windows let events run while they close.
    bool busy_close = false;

private:
    CaseWorld& world_;
    QString id_;
    bool visible_ = false;
};

// Voice input the case speaks into.
class CaseEars : public voice::VoiceInput {
public:
    explicit CaseEars(CaseWorld& world) : world_(world) {}
    void start(const QStringList& phrases) override;
    void stop() override;

private:
    CaseWorld& world_;
    bool listening_ = false;
};

class CaseWorld {
public:
    CaseWorld();
    ~CaseWorld();

    // Plays the sketch lines of `standard` and then the case; returns the transcript.
    QStringList play(const QString& standard, const QString& case_text);

    // What the windows report.
    void add(const QString& line);
    void frame_shown(const QString& id, int tag, int mouth, QSize size);
    void placed(const QString& id, const QRect& r);
    void balloon(const QString& id, const QString& head, int text_length);
    void revealed(const QString& id, int chars);
    void traced(const QString& line);
    // "~" for the case's folder.
    QString tidy(const QString& text) const;

private:
    struct Shown {
        int tag;
        int mouth;
        QSize size;
    };
    struct Run {
        int line = -1;
        QList<Shown> frames;
        QList<QRect> places;
        QString head;
        QList<int> reveals;
        int text_length = 0;
    };

    bool step(const QString& line);
    bool act(const QString& id, const QStringList& w);
    bool until(const QStringList& w);
    bool run_until(const std::function<bool()>& done);
    void load(const QString& id, const QString& path);
    void new_animation(const QString& id);
    void keep(const agent::Request& r);
    QString label(int request_id) const;
    QString look(const QString& id);
    void render_frames(const Run& run, const QString& id);

    CaseSketch sketch_;
    QTemporaryDir folder_;
    std::unique_ptr<CaseEars> ears_;
    std::unique_ptr<agent::AgentPlatform> platform_;
    QHash<QString, CaseView*> views_;
    QString making_;  // the id of the character being loaded
    QList<agent::Request> requests_;
    QStringList lines_;
    bool recording_ = false;
    QHash<QString, Run> frames_, places_, balloons_;
    QList<QPair<QString, int>> shown_;  // every frame: id, tag
    QHash<QString, int> played_;        // frames the animations played, by id
    QList<QPair<QString, QString>> reactions_;  // on a traced line with this text: this step
};

}  // namespace pw::runtime_cases
