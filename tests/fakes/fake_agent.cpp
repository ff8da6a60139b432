#include "tests/fakes/fake_agent.h"

#include <QFileInfo>
#include <QMetaObject>

namespace pw::fakes {

using pw::agent::AgentError;
using pw::agent::Request;

FakeAgent::FakeAgent(QObject* parent) : AgentControl(parent)
{
    qRegisterMetaType<pw::agent::Request>();
    qRegisterMetaType<pw::agent::UserInput>();
}

FakeAgent::~FakeAgent() = default;

template <typename F> void FakeAgent::post(F f)
{
    QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
}

void FakeAgent::define_character(const QString& id, FakeTraits traits)
{
    defined_.insert(id.toLower(), std::move(traits));
}

FakeCharacter* FakeAgent::add_loaded(const QString& id, FakeTraits traits)
{
    loaded_.push_back(std::make_unique<FakeCharacter>(*this, id, std::move(traits)));
    return loaded_.back().get();
}

void FakeAgent::fail(const QString& operation, uint32_t number, const QString& character,
                     const QString& first_argument)
{
    failures_.append(Failure{operation, number, character, first_argument});
}

void FakeAgent::check_failure(const QString& character, const QString& operation,
                              const QStringList& args) const
{
    for (const Failure& f : failures_) {
        if (f.operation != operation) continue;
        if (!f.character.isEmpty() && f.character.compare(character, Qt::CaseInsensitive) != 0)
            continue;
        if (!f.first_argument.isEmpty()) {
            const QString first = args.isEmpty() ? QString() : args.first();
            if (first.compare(f.first_argument, Qt::CaseInsensitive) != 0
                && first.compare(CallLog::text(f.first_argument), Qt::CaseInsensitive) != 0)
                continue;
        }
        throw AgentError(f.number, QStringLiteral("%1 failed (test).").arg(operation));
    }
}

Request FakeAgent::issue(const QString& character, const QString& operation)
{
    Request r = Request::create();
    issued_.append(Issued{r, character, operation});
    if (completion_ == Completion::AtOnce) post_run(r);
    return r;
}

void FakeAgent::post_run(Request r)
{
    post([this, r]() mutable {
        if (r.is_finished()) return;
        r.set_status(Request::InProgress);
        Q_EMIT RequestStart(r);
    });
    post([this, r]() mutable {
        if (r.is_finished()) return;
        r.set_status(Request::Complete);
        Q_EMIT RequestComplete(r);
    });
}

bool FakeAgent::run_pending()
{
    bool any = false;
    for (Issued& i : issued_) {
        if (i.request.is_finished() || i.request.status() == Request::InProgress) continue;
        post_run(i.request);
        any = true;
    }
    return any;
}

void FakeAgent::interrupt(const QString& character, const QStringList& operations)
{
    for (Issued& i : issued_) {
        if (i.character != character || i.request.is_finished()) continue;
        if (!operations.isEmpty() && !operations.contains(i.operation)) continue;
        i.request.set_status(Request::Interrupted);
        post_request_complete(i.request);
    }
}

Request FakeAgent::last_request(const QString& character) const
{
    for (qsizetype i = issued_.size() - 1; i >= 0; --i)
        if (character.isEmpty() || issued_[i].character.compare(character, Qt::CaseInsensitive) == 0)
            return issued_[i].request;
    return {};
}

FakeCharacter* FakeAgent::character(const QString& id) const
{
    for (const auto& c : loaded_)
        if (c->id().compare(id, Qt::CaseInsensitive) == 0) return c.get();
    return nullptr;
}

QStringList FakeAgent::loaded_ids() const
{
    QStringList out;
    for (const auto& c : loaded_) out.append(c->id());
    return out;
}

void FakeAgent::start(Request request)
{
    request.set_status(Request::InProgress);
    post_request_start(request);
}

void FakeAgent::finish(Request request, Request::Status status)
{
    request.set_status(status);
    post_request_complete(request);
}

void FakeAgent::finish_all(Request::Status status)
{
    for (Issued& i : issued_)
        if (!i.request.is_finished()) finish(i.request, status);
}

void FakeAgent::post_click(const QString& id, int button, int shift, int x, int y)
{
    post([=, this] { Q_EMIT Click(id, button, shift, x, y); });
}
void FakeAgent::post_dbl_click(const QString& id, int button, int shift, int x, int y)
{
    post([=, this] { Q_EMIT DblClick(id, button, shift, x, y); });
}
void FakeAgent::post_request_start(const Request& request) { post([this, request] { Q_EMIT RequestStart(request); }); }
void FakeAgent::post_request_complete(const Request& request)
{
    post([this, request] { Q_EMIT RequestComplete(request); });
}
void FakeAgent::post_command(const QString& name, const QString& id, const QString& voice)
{
    post([=, this] { Q_EMIT Command(pw::agent::UserInput{name, id, voice, voice.isEmpty() ? 0 : 100}); });
}
void FakeAgent::post_idle_start(const QString& id) { post([=, this] { Q_EMIT IdleStart(id); }); }
void FakeAgent::post_idle_complete(const QString& id) { post([=, this] { Q_EMIT IdleComplete(id); }); }
void FakeAgent::post_balloon_hide(const QString& id) { post([=, this] { Q_EMIT BalloonHide(id); }); }
void FakeAgent::post_listen_timeout(const QString& id)
{
    character(id)->end_listening();
    post([=, this] { Q_EMIT ListenComplete(id, pw::agent::ListenTimeout); });
}
void FakeAgent::post_move(const QString& id, int x, int y, int cause)
{
    post([=, this] { Q_EMIT Move(id, x, y, cause); });
}

Request FakeAgent::load(const QString& id, const QString& path)
{
    log_.add(QStringLiteral("*"), QStringLiteral("Load"), {CallLog::text(id), CallLog::text(path)});
    check_failure(id, QStringLiteral("Load"), {CallLog::text(id)});
    if (is_loaded(id))
        throw AgentError(pw::agent::error::character_already_loaded,
                         QStringLiteral("%1 is loaded already.").arg(id));
    const auto traits = defined_.constFind(id.toLower());
    if (traits == defined_.constEnd() || !QFileInfo(path).isFile())
        throw AgentError(pw::agent::error::file_not_found,
                         QStringLiteral("The character file %1 was not found.").arg(path));
    add_loaded(id, *traits);
    return issue(id, QStringLiteral("Load"));
}

pw::agent::Character* FakeAgent::item(const QString& id)
{
    if (FakeCharacter* c = character(id)) return c;
    throw AgentError(pw::agent::error::character_invalid,
                     QStringLiteral("No character \"%1\" is loaded.").arg(id));
}

void FakeAgent::unload(const QString& id)
{
    log_.add(QStringLiteral("*"), QStringLiteral("Unload"), {CallLog::text(id)});
    check_failure(id, QStringLiteral("Unload"), {CallLog::text(id)});
    for (auto it = loaded_.begin(); it != loaded_.end(); ++it) {
        if ((*it)->id().compare(id, Qt::CaseInsensitive) != 0) continue;
        (*it)->mark_unloaded();
        unloaded_.push_back(std::move(*it));
        loaded_.erase(it);
        return;
    }
    // An id that is not loaded: nothing to do.
}

bool FakeAgent::is_loaded(const QString& id) const { return character(id) != nullptr; }

}  // namespace pw::fakes
