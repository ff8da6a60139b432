#include "tools/charbuild/source_json.h"

#include "agent/api/agent_error.h"

#include <QColor>
#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QRegularExpression>

namespace pw::charbuild {

using agent::AgentError;

void source_error(const QString& where, const QString& what)
{
    throw AgentError(agent::error::file_corrupt, where + QStringLiteral(": ") + what);
}

QJsonObject read_json_object(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AgentError(agent::error::file_not_found,
                         path + QStringLiteral(": cannot be read (") + file.errorString() + QLatin1Char(')'));
    const QByteArray bytes = file.readAll();
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &err);
    if (err.error != QJsonParseError::NoError) {
        const int line = int(bytes.left(err.offset).count('\n')) + 1;
        source_error(path, QStringLiteral("line %1: %2").arg(line).arg(err.errorString()));
    }
    if (!doc.isObject()) source_error(path, QStringLiteral("the file must hold one JSON object"));
    return doc.object();
}

double number_field(const QJsonObject& o, const QString& key, double fallback, const QString& where)
{
    const QJsonValue v = o.value(key);
    if (v.isUndefined()) return fallback;
    if (!v.isDouble()) source_error(where, QStringLiteral("\"%1\" must be a number").arg(key));
    return v.toDouble();
}

int int_field(const QJsonObject& o, const QString& key, int fallback, const QString& where)
{
    const double d = number_field(o, key, fallback, where);
    if (d != double(int(d))) source_error(where, QStringLiteral("\"%1\" must be a whole number").arg(key));
    return int(d);
}

QString string_field(const QJsonObject& o, const QString& key, const QString& fallback, const QString& where)
{
    const QJsonValue v = o.value(key);
    if (v.isUndefined()) return fallback;
    if (!v.isString()) source_error(where, QStringLiteral("\"%1\" must be a text").arg(key));
    return v.toString();
}

bool bool_field(const QJsonObject& o, const QString& key, bool fallback, const QString& where)
{
    const QJsonValue v = o.value(key);
    if (v.isUndefined()) return fallback;
    if (!v.isBool()) source_error(where, QStringLiteral("\"%1\" must be true or false").arg(key));
    return v.toBool();
}

QString required_string(const QJsonObject& o, const QString& key, const QString& where)
{
    if (!o.contains(key)) source_error(where, QStringLiteral("\"%1\" is missing").arg(key));
    const QString s = string_field(o, key, QString(), where);
    if (s.isEmpty()) source_error(where, QStringLiteral("\"%1\" is empty").arg(key));
    return s;
}

QRgb parse_colour(const QString& text, const QString& where)
{
    static const QRegularExpression hex(QStringLiteral("^#[0-9a-fA-F]{6}$"));
    if (!hex.match(text).hasMatch())
        source_error(where, QStringLiteral("\"%1\" is not a colour like #1f2545").arg(text));
    return QColor::fromString(text).rgb();
}

}  // namespace pw::charbuild
