#pragma once
// The case drivers' data rows: one test row per case file of a folder.

#include <QDir>
#include <QString>
#include <QTest>

namespace pw::test {

// A data row for each case file of `folder` whose name ends in `suffix`, named by the
// file and holding its name without the suffix (a column "name"). Returns how many.
inline qsizetype add_case_rows(const QString& folder, const QString& suffix)
{
    QTest::addColumn<QString>("name");
    const QStringList names = QDir(folder).entryList({QLatin1Char('*') + suffix}, QDir::Files, QDir::Name);
    for (const QString& name : names) QTest::newRow(qPrintable(name)) << name.chopped(suffix.size());
    return names.size();
}

}  // namespace pw::test
