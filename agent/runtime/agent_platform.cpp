#include "agent/runtime/agent_platform.h"

#include "agent/acs/acs_reader.h"
#include "agent/api/agent_error.h"
#include "agent/runtime/agent_event.h"
#include "agent/runtime/character_agent.h"
#include "agent/runtime/request_tracker.h"
#include "agent/voice/speech_synthesizer.h"
#include "platform/core/program_folder.h"
#include "platform/core/trace.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>

namespace pw::agent {

AgentPlatform::AgentPlatform(CharacterViewFactory make_view, RuntimeOptions options, QObject* parent)
    : AgentControl(parent),
      make_view_(std::move(make_view)),
      options_(std::move(options)),
      tracker_(std::make_unique<RequestTracker>())
{
    qRegisterMetaType<pw::agent::Request>();
    qRegisterMetaType<pw::agent::UserInput>();
    if (!options_.synthesizer) {
        own_synthesizer_ = std::make_unique<voice::SpeechSynthesizer>();
        options_.synthesizer = own_synthesizer_.get();
    }
    if (options_.program_dir.isEmpty()) options_.program_dir = pw::folders::program_folder();
}

AgentPlatform::~AgentPlatform()
{
    // Characters end their requests through the tracker: they go first.
    characters_.clear();
}

Request AgentPlatform::load(const QString& id, const QString& path)
{
    trace::request(id, QStringLiteral("Load"), {trace::quote(path)});
    if (is_loaded(id))
        throw AgentError(error::character_already_loaded,
                         QStringLiteral("The character \"%1\" is already loaded.").arg(id));
    return load_data(id, read_cached(path));
}

Request AgentPlatform::load_data(const QString& id, std::shared_ptr<const acs::CharacterData> data)
{
    if (is_loaded(id))
        throw AgentError(error::character_already_loaded,
                         QStringLiteral("The character \"%1\" is already loaded.").arg(id));
    if (!data || data->width == 0 || data->height == 0)
        throw AgentError(error::file_corrupt,
                         QStringLiteral("The character \"%1\" has no frame size.").arg(id));

    CharacterAgent::Environment env;
    env.options = options_;
    env.tracker = tracker_.get();
    env.post = [this](const AgentEvent& e) { post(e); };
    env.listening_started = [this](CharacterAgent* a) { stop_other_listeners(a); };
    characters_[id.toLower()] =
        std::make_unique<CharacterAgent>(id, std::move(data), make_view_(), std::move(env));

    // Loading happens in the call; its request still ends from the event loop, like
    // every other request.
    Request request = Request::create();
    tracker_->track(request, id);
    request.set_status(Request::InProgress);
    post(AgentEvent::request_event(AgentEvent::RequestStart, id, request, QStringLiteral("Load")));
    QMetaObject::invokeMethod(this, [this, request, id] {
        Request r = request;
        r.set_status(Request::Complete);
        deliver(AgentEvent::request_event(AgentEvent::RequestComplete, id, r, QStringLiteral("Load")));
        tracker_->finished(r);
    }, Qt::QueuedConnection);
    return request;
}

Character* AgentPlatform::item(const QString& id)
{
    if (CharacterAgent* a = agent(id)) return a;
    throw AgentError(error::character_invalid, QStringLiteral("There is no character \"%1\".").arg(id));
}

void AgentPlatform::unload(const QString& id)
{
    trace::request(id, QStringLiteral("Unload"));
    auto it = characters_.find(id.toLower());
    if (it == characters_.end()) return;
    // Take it out of the list first: its last requests end while it goes.
    std::unique_ptr<CharacterAgent> gone = std::move(it->second);
    characters_.erase(it);
    gone.reset();
}

bool AgentPlatform::is_loaded(const QString& id) const
{
    return characters_.count(id.toLower()) != 0;
}

CharacterAgent* AgentPlatform::agent(const QString& id) const
{
    auto it = characters_.find(id.toLower());
    return it == characters_.end() ? nullptr : it->second.get();
}

void AgentPlatform::post(const AgentEvent& event)
{
    QMetaObject::invokeMethod(this, [this, event] { deliver(event); }, Qt::QueuedConnection);
}

void AgentPlatform::deliver(const AgentEvent& e)
{
    trace::event(e.name(), e.trace_args());
    switch (e.type) {
    case AgentEvent::Click: Q_EMIT Click(e.character_id, e.button, e.shift, e.x, e.y); break;
    case AgentEvent::DblClick: Q_EMIT DblClick(e.character_id, e.button, e.shift, e.x, e.y); break;
    case AgentEvent::DragComplete: Q_EMIT DragComplete(e.character_id, e.button, e.shift, e.x, e.y); break;
    case AgentEvent::RequestStart: Q_EMIT RequestStart(e.request); break;
    case AgentEvent::RequestComplete: Q_EMIT RequestComplete(e.request); break;
    case AgentEvent::Command: Q_EMIT Command(e.input); break;
    case AgentEvent::IdleStart: Q_EMIT IdleStart(e.character_id); break;
    case AgentEvent::IdleComplete: Q_EMIT IdleComplete(e.character_id); break;
    case AgentEvent::BalloonHide: Q_EMIT BalloonHide(e.character_id); break;
    case AgentEvent::Move: Q_EMIT Move(e.character_id, e.x, e.y, e.cause); break;
    case AgentEvent::ListenComplete: Q_EMIT ListenComplete(e.character_id, e.cause); break;
    }
}

void AgentPlatform::stop_other_listeners(CharacterAgent* listener)
{
    for (auto& [key, a] : characters_)
        if (a.get() != listener && a->listening()) a->end_listening(ListenClientDeactivated);
}

std::shared_ptr<const acs::CharacterData> AgentPlatform::read_cached(const QString& path)
{
    // The same file loaded under several ids shares one description.
    const QFileInfo info(path);
    const QString key = info.absoluteFilePath() + QLatin1Char('|') + QString::number(info.size()) +
                        QLatin1Char('|') + QString::number(info.lastModified().toMSecsSinceEpoch());
    if (auto cached = file_cache_.value(key).lock()) return cached;
    auto data = std::make_shared<const acs::CharacterData>(acs::read_acs_file(path));
    file_cache_.insert(key, data);
    return data;
}

}  // namespace pw::agent
