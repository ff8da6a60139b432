#pragma once
// Every call made on the fake platform, in order, one record per call.
//
// A record reads as a line: "<character id> <Operation> <arguments>", with texts in
// double quotes (trace::quote), numbers plain and booleans True/False, e.g.
//   Pellwick Speak "Hi" ""        Pellwick Play "Wave"      Pellwick set Left 497
//   Pellwick Wait 17              * Load "Pellwick" "/x/chars/PELLWICK.ACS"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace pw::fakes {

struct CallRecord {
    QString character;  // "*" for calls on the collection itself
    QString operation;
    QStringList args;

    QString line() const;
};

class CallLog {
public:
    void add(const QString& character, const QString& operation, const QStringList& args = {});
    void clear() { records_.clear(); }

    const QList<CallRecord>& records() const { return records_; }
    QStringList lines() const;
    // Lines of the given operation only (e.g. "Speak"), optionally of one character.
    QStringList lines_of(const QString& operation, const QString& character = {}) const;
    int count(const QString& operation, const QString& character = {}) const;

    static QString text(const QString& s);
    // Called with every record as it is added.
    std::function<void(const CallRecord&)> on_add;

    static QString flag(bool b) { return b ? QStringLiteral("True") : QStringLiteral("False"); }

private:
    QList<CallRecord> records_;
};

}  // namespace pw::fakes
