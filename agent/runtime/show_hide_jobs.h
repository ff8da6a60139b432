#pragma once
// Show: the window appears and the Showing state animation plays. Hide: the Hiding
// state animation plays, then the window goes. "Fast" skips the animation. Showing a
// visible character or hiding a hidden one is done at once.

#include "agent/runtime/request_job.h"

namespace pw::agent {

class CharacterBody;

class ShowJob : public RequestJob {
public:
    ShowJob(CharacterBody& body, bool fast) : body_(body), fast_(fast) {}

    QString operation() const override { return QStringLiteral("Show"); }
    RequestKind kind() const override { return RequestKind::Play; }
    void start() override;
    void interrupt() override;

private:
    CharacterBody& body_;
    bool fast_;
};

class HideJob : public RequestJob {
public:
    HideJob(CharacterBody& body, bool fast) : body_(body), fast_(fast) {}

    QString operation() const override { return QStringLiteral("Hide"); }
    RequestKind kind() const override { return RequestKind::Play; }
    void start() override;
    // A stopped Hide still hides: the script asked for the character to go.
    void interrupt() override;

private:
    void conceal();

    CharacterBody& body_;
    bool fast_;
};

}  // namespace pw::agent
