#include "agent/voice/decoy_words.h"

#include <QDebug>
#include <QFile>

namespace pw::voice {

QStringList parse_decoy_list(const QByteArray& text)
{
    QStringList out;
    for (const QByteArray& raw : text.split('\n')) {
        const qsizetype hash = raw.indexOf('#');
        const QString line = QString::fromUtf8(hash >= 0 ? raw.left(hash) : raw).simplified();
        if (!line.isEmpty()) out.append(line);
    }
    return out;
}

QStringList default_decoys()
{
    QFile file(QStringLiteral(":/speech/decoys.txt"));
    if (!file.open(QIODevice::ReadOnly)) {
        // Only a broken build gets here; commands are still recognised, just less strictly.
        qWarning() << "The built-in decoy word list is missing; speech outside the commands"
                   << "may be taken for a command.";
        return {};
    }
    return parse_decoy_list(file.readAll());
}

}  // namespace pw::voice
