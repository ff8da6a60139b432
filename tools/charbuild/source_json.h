#pragma once
// Reading the JSON files of a character source folder. Every problem becomes an
// AgentError whose text names the file (and the place in it) and says what is wrong.

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QRgb>
#include <QString>

namespace pw::charbuild {

// Throws AgentError file_not_found when the file cannot be read, file_corrupt when it
// is not a JSON object.
QJsonObject read_json_object(const QString& path);

// Throws AgentError file_corrupt with "where: what".
[[noreturn]] void source_error(const QString& where, const QString& what);

double number_field(const QJsonObject& o, const QString& key, double fallback, const QString& where);
int int_field(const QJsonObject& o, const QString& key, int fallback, const QString& where);
QString string_field(const QJsonObject& o, const QString& key, const QString& fallback, const QString& where);
bool bool_field(const QJsonObject& o, const QString& key, bool fallback, const QString& where);
// A required string field.
QString required_string(const QJsonObject& o, const QString& key, const QString& where);

// "#rrggbb".
QRgb parse_colour(const QString& text, const QString& where);

}  // namespace pw::charbuild
