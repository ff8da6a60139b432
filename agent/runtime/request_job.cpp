#include "agent/runtime/request_job.h"

namespace pw::agent {

bool stop_types_match(const QString& types, RequestKind kind)
{
    if (types.trimmed().isEmpty()) return true;
    for (const QString& raw : types.split(QLatin1Char(','))) {
        const QString t = raw.trimmed().toLower();
        if (t == QLatin1String("play") && kind == RequestKind::Play) return true;
        if (t == QLatin1String("speak") && kind == RequestKind::Speak) return true;
        if (t == QLatin1String("move") && kind == RequestKind::Move) return true;
        if (t == QLatin1String("wait") && kind == RequestKind::Wait) return true;
    }
    return false;
}

}  // namespace pw::agent
