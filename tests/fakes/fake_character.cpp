#include "tests/fakes/fake_character.h"

#include "agent/api/agent_error.h"
#include "tests/fakes/fake_agent.h"

namespace pw::fakes {

using pw::agent::AgentError;
using pw::agent::Request;

namespace {
QString num(qint64 n) { return QString::number(n); }
}  // namespace

FakeCharacter::FakeCharacter(FakeAgent& agent, QString id, FakeTraits traits)
    : agent_(agent),
      id_(std::move(id)),
      name_(traits.name.isEmpty() ? id_ : traits.name),
      animations_(traits.animations),
      width_(traits.width),
      height_(traits.height)
{
}

void FakeCharacter::call(const QString& operation, const QStringList& args)
{
    if (unloaded_) {
        agent_.log_.add(id_, QStringLiteral("UsedAfterUnload"), QStringList{operation});
        throw AgentError(pw::agent::error::character_invalid,
                         QStringLiteral("%1 is not loaded.").arg(id_));
    }
    agent_.log_.add(id_, operation, args);
    agent_.check_failure(id_, operation, args);
}

Request FakeCharacter::queue(const QString& operation, const QStringList& args)
{
    call(operation, args);
    return agent_.issue(id_, operation);
}

void FakeCharacter::set_left(int x) { call(QStringLiteral("set Left"), {num(x)}); left_ = x; }
void FakeCharacter::set_top(int y) { call(QStringLiteral("set Top"), {num(y)}); top_ = y; }
void FakeCharacter::set_width(int w) { call(QStringLiteral("set Width"), {num(w)}); width_ = w; }
void FakeCharacter::set_height(int h) { call(QStringLiteral("set Height"), {num(h)}); height_ = h; }

void FakeCharacter::set_language_id(int id)
{
    call(QStringLiteral("set LanguageID"), {num(id)});
    language_id_ = id;
}

Request FakeCharacter::show(bool fast)
{
    Request r = queue(QStringLiteral("Show"), {CallLog::flag(fast)});
    visible_ = true;
    return r;
}

Request FakeCharacter::hide(bool fast)
{
    Request r = queue(QStringLiteral("Hide"), {CallLog::flag(fast)});
    visible_ = false;
    return r;
}

Request FakeCharacter::play(const QString& animation)
{
    call(QStringLiteral("Play"), {CallLog::text(animation)});
    bool known = false;
    for (const QString& a : animations_) known = known || a.compare(animation, Qt::CaseInsensitive) == 0;
    if (!known)
        throw AgentError(pw::agent::error::animation_not_found,
                         QStringLiteral("%1 has no animation \"%2\".").arg(id_, animation));
    return agent_.issue(id_, QStringLiteral("Play"));
}

Request FakeCharacter::speak(const QString& text, const QString& url)
{
    return queue(QStringLiteral("Speak"), {CallLog::text(text), CallLog::text(url)});
}

Request FakeCharacter::think(const QString& text)
{
    return queue(QStringLiteral("Think"), {CallLog::text(text)});
}

Request FakeCharacter::move_to(int x, int y, int speed)
{
    Request r = queue(QStringLiteral("MoveTo"), {num(x), num(y), num(speed)});
    left_ = x;
    top_ = y;
    return r;
}

Request FakeCharacter::wait(const Request& other)
{
    return queue(QStringLiteral("Wait"), {num(other.id())});
}

void FakeCharacter::stop(const Request& request)
{
    call(QStringLiteral("Stop"), {num(request.id())});
    if (request.is_null()) {
        agent_.interrupt(id_, {});
    } else if (!request.is_finished()) {
        Request r = request;
        r.set_status(Request::Interrupted);
        agent_.post_request_complete(r);
    }
}

void FakeCharacter::stop_all(const QString& types)
{
    call(QStringLiteral("StopAll"), {CallLog::text(types)});
    QStringList operations;
    for (const QString& raw : types.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString t = raw.trimmed().toLower();
        if (t == QLatin1String("move")) operations << QStringLiteral("MoveTo");
        else if (t == QLatin1String("speak")) operations << QStringLiteral("Speak") << QStringLiteral("Think");
        else if (t == QLatin1String("play")) operations << QStringLiteral("Play") << QStringLiteral("Show") << QStringLiteral("Hide");
        else if (t == QLatin1String("wait")) operations << QStringLiteral("Wait");
    }
    if (!types.trimmed().isEmpty() && operations.isEmpty()) return;
    agent_.interrupt(id_, operations);
}

void FakeCharacter::activate(int state) { call(QStringLiteral("Activate"), {num(state)}); }

bool FakeCharacter::listen(bool on)
{
    call(QStringLiteral("Listen"), {CallLog::flag(on)});
    listening_ = on;
    return true;
}

}  // namespace pw::fakes
