#pragma once
// A recording fake of the character platform for tests without a display.
//
// - Every operation is logged (log()), in order; see call_log.h for the line format.
// - Requests end on their own (Completion::AtOnce: RequestStart and RequestComplete are
//   posted and delivered from the event loop) or when the test says so (Manual:
//   start() / finish()).
// - fail() makes an operation throw AgentError, like the real platform's errors.
// - post_*() raise the control's events from the event loop, never synchronously.
//
// Characters that load() accepts are declared with define_character(); load() also
// wants the file to exist. add_loaded() skips all that.

#include "agent/api/agent_control.h"
#include "agent/api/agent_error.h"
#include "tests/fakes/call_log.h"
#include "tests/fakes/fake_character.h"

#include <QHash>
#include <QList>
#include <memory>
#include <vector>

namespace pw::fakes {

class FakeAgent : public pw::agent::AgentControl {
    Q_OBJECT
public:
    enum class Completion { AtOnce, Manual };

    struct Issued {
        pw::agent::Request request;
        QString character;
        QString operation;
    };

    explicit FakeAgent(QObject* parent = nullptr);
    ~FakeAgent() override;

    // ---- Set-up ----
    void define_character(const QString& id, FakeTraits traits = {});
    // A loaded (hidden) character at once, without a log line or events.
    FakeCharacter* add_loaded(const QString& id, FakeTraits traits = {});
    // Makes `operation` ("Load", "Play", "Speak", "set Left", ...) throw `number`; only
    // for that character (id, case ignored) and that first argument (unquoted, case
    // ignored) when they are given.
    void fail(const QString& operation, uint32_t number, const QString& character = {},
              const QString& first_argument = {});
    void clear_failures() { failures_.clear(); }
    void set_completion(Completion c) { completion_ = c; }

    // ---- What happened ----
    CallLog& log() { return log_; }
    const QList<Issued>& issued() const { return issued_; }
    // The last request of that character (any character when empty); null when none.
    pw::agent::Request last_request(const QString& character = {}) const;
    FakeCharacter* character(const QString& id) const;  // nullptr when not loaded
    QStringList loaded_ids() const;

    // ---- Manual completion: the status changes at once, the event is posted ----
    void start(pw::agent::Request request);
    void finish(pw::agent::Request request,
                pw::agent::Request::Status status = pw::agent::Request::Complete);
    void finish_all(pw::agent::Request::Status status = pw::agent::Request::Complete);
    // Every unfinished request starts and completes from the event loop, as with
    // Completion::AtOnce; false when there is none.
    bool run_pending();

    // ---- Events, delivered from the event loop ----
    void post_click(const QString& id, int button = 1, int shift = 0, int x = 0, int y = 0);
    void post_dbl_click(const QString& id, int button = 1, int shift = 0, int x = 0, int y = 0);
    void post_request_start(const pw::agent::Request& request);
    void post_request_complete(const pw::agent::Request& request);
    void post_command(const QString& name, const QString& id, const QString& voice = {});
    void post_idle_start(const QString& id);
    void post_idle_complete(const QString& id);
    void post_balloon_hide(const QString& id);
    // The character's listening period ends by itself (a time-out).
    void post_listen_timeout(const QString& id);
    void post_move(const QString& id, int x, int y, int cause = pw::agent::MovedByProgram);

    // ---- AgentControl ----
    pw::agent::Request load(const QString& id, const QString& path) override;
    pw::agent::Character* item(const QString& id) override;
    void unload(const QString& id) override;
    bool is_loaded(const QString& id) const override;

private:
    friend class FakeCharacter;
    void check_failure(const QString& character, const QString& operation,
                       const QStringList& args) const;
    pw::agent::Request issue(const QString& character, const QString& operation);
    void post_run(pw::agent::Request r);
    // Interrupts the unfinished requests of a character whose operation is in `kinds`
    // (all when empty).
    void interrupt(const QString& character, const QStringList& operations);
    template <typename F> void post(F f);

    struct Failure {
        QString operation;
        uint32_t number;
        QString character;
        QString first_argument;
    };

    CallLog log_;
    Completion completion_ = Completion::AtOnce;
    QHash<QString, FakeTraits> defined_;  // key: id in lower case
    std::vector<std::unique_ptr<FakeCharacter>> loaded_;
    std::vector<std::unique_ptr<FakeCharacter>> unloaded_;  // kept to catch late use
    QList<Failure> failures_;
    QList<Issued> issued_;
};

}  // namespace pw::fakes
