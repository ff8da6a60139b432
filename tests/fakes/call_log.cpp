#include "tests/fakes/call_log.h"

#include "platform/core/trace.h"

namespace pw::fakes {

QString CallRecord::line() const
{
    QString out = character + QLatin1Char(' ') + operation;
    for (const QString& a : args) out += QLatin1Char(' ') + a;
    return out;
}

void CallLog::add(const QString& character, const QString& operation, const QStringList& args)
{
    records_.append(CallRecord{character, operation, args});
    if (on_add) on_add(records_.last());
}

QStringList CallLog::lines() const
{
    QStringList out;
    for (const CallRecord& r : records_) out.append(r.line());
    return out;
}

QStringList CallLog::lines_of(const QString& operation, const QString& character) const
{
    QStringList out;
    for (const CallRecord& r : records_)
        if (r.operation == operation && (character.isEmpty() || r.character == character))
            out.append(r.line());
    return out;
}

int CallLog::count(const QString& operation, const QString& character) const
{
    return int(lines_of(operation, character).size());
}

QString CallLog::text(const QString& s) { return pw::trace::quote(s); }

}  // namespace pw::fakes
