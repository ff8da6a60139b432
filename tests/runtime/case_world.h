#pragma once
// One case of the character runtime: the platform, with windows that record what they
// are asked to show, plays the case's steps; the frames, windows, balloons, requests
// and events of every character go into one transcript, in order (cases/README.md).
// Time is the real clock with the short timings of the cases; a step that waits
// names what it waits for, so a transcript does not hang on how fast the machine is.

#include "agent/runtime/agent_platform.h"
#include "case_sketch.h"

#include <QHash>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace pw::runtime_cases {

struct CaseView;
struct CaseEars;

class CaseWorld {
public:
    CaseWorld();
    ~CaseWorld();

    // Plays the sketch lines of `standard` and then the case; returns the transcript.
    QStringList play(const QString& standard, const QString& case_text);

    // What the windows and the trace report.
    void add(const QString& line);
    void traced(const QString& line);
    // A line that grows while it stays open: an animation's frames ("frames"), a
    // window's places in one step ("places"), a balloon's words ("words").
    void grow(const QString& id, const QString& kind, const QString& item, bool new_line = false);
    // "~" for the case's folder.
    QString tidy(const QString& text) const;
    QList<QPair<QString, int>> shown;  // every frame: id in lower case, tag

private:
    struct Open {
        int line = -1;
        QStringList items;
    };

    bool step(const QString& line);
    bool act(const QString& id, const QStringList& w);
    bool until(const QStringList& w);
    bool run_until(const std::function<bool()>& done);
    void load(const QString& id, const QString& path);
    QString render(const QString& kind, const QStringList& items) const;
    agent::Request request(const QString& label) const;

    CaseSketch sketch_;
    QTemporaryDir folder_;
    std::unique_ptr<CaseEars> ears_;
    std::unique_ptr<agent::AgentPlatform> platform_;
    QHash<QString, CaseView*> views_;
    QString making_;  // the id of the character being loaded
    QList<agent::Request> requests_;
    QStringList lines_;
    bool recording_ = false;
    QHash<QString, Open> open_;   // by id and kind
    QHash<QString, int> played_;  // frames the animations played, by id
    QList<QPair<QString, QString>> reactions_;  // on a traced line with this text: these steps
};

}  // namespace pw::runtime_cases
