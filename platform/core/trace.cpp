#include "platform/core/trace.h"

#include <QElapsedTimer>
#include <cstdio>

namespace pw::trace {
namespace {

QElapsedTimer& clock()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer;
}
// Start the clock when the program loads, not at the first trace line.
[[maybe_unused]] const bool clock_started = (clock(), true);

int& forced_state()
{
    static int state = -1;  // -1: follow the environment
    return state;
}

Sink& sink()
{
    static Sink s = nullptr;
    return s;
}

void write(const QString& body)
{
    if (!enabled()) return;
    const QString line = QStringLiteral("pw %1 %2").arg(elapsed_ms()).arg(body);
    if (sink()) {
        sink()(line);
        return;
    }
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

}  // namespace

bool enabled()
{
    if (forced_state() >= 0) return forced_state() == 1;
    static const bool from_env = [] {
        const QByteArray v = qgetenv("PELLWORKS_TRACE");
        return !v.isEmpty() && v != "0";
    }();
    return from_env;
}

qint64 elapsed_ms() { return clock().elapsed(); }

QString quote(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\')) out += QLatin1Char('\\');
        if (c == QLatin1Char('\n')) { out += QStringLiteral("\\n"); continue; }
        if (c == QLatin1Char('\r')) { out += QStringLiteral("\\r"); continue; }
        out += c;
    }
    out += QLatin1Char('"');
    return out;
}

QString number(qint64 value) { return QString::number(value); }

void request(const QString& character_id, const QString& operation, const QStringList& args)
{
    if (!enabled()) return;
    QString body = QStringLiteral("request ") + character_id + QLatin1Char(' ') + operation;
    for (const QString& a : args) body += QLatin1Char(' ') + a;
    write(body);
}

void event(const QString& name, const QStringList& args)
{
    if (!enabled()) return;
    QString body = QStringLiteral("event ") + name;
    for (const QString& a : args) body += QLatin1Char(' ') + a;
    write(body);
}

void message(const QString& text) { write(QStringLiteral("message ") + quote(text)); }
void run_start() { write(QStringLiteral("run start")); }
void run_end() { write(QStringLiteral("run end")); }
void run_error(const QString& text) { write(QStringLiteral("run error ") + quote(text)); }
void script_kept(const QString& file) { write(QStringLiteral("script kept ") + quote(file)); }
void script_restored(const QString& text) { write(QStringLiteral("script restored ") + quote(text)); }

void set_sink(Sink s) { sink() = s; }
void set_enabled_for_tests(bool on) { forced_state() = on ? 1 : 0; }

}  // namespace pw::trace
