#pragma once

#include <QFile>
#include <QtTest>

// The rows of one table in tests/data/<file>: lines "table<TAB>field<TAB>...",
// "\r\n" written out, each with its line number; none when the file is missing.
inline QList<std::pair<int, QStringList>> dataRows(const QString &file, const QString &table)
{
    QFile data(QFINDTESTDATA("data/" + file));
    const QStringList lines = data.open(QIODevice::ReadOnly)
            ? QString::fromUtf8(data.readAll()).split(u'\n')
            : QStringList();
    QList<std::pair<int, QStringList>> rows;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].startsWith(table + '\t'))
            rows.append({i + 1, QString(lines[i]).replace("\\r\\n", "\r\n").split(u'\t').mid(1)});
    return rows;
}

// The rows of a table as a test's data, a QStringList "row" named "file:line";
// fails when there are none.
inline void addDataRows(const QString &file, const QString &table)
{
    QTest::addColumn<QStringList>("row");
    const auto rows = dataRows(file, table);
    QVERIFY2(!rows.isEmpty(), qPrintable(file + ": no rows for " + table));
    for (const auto &[line, row] : rows)
        QTest::addRow("%s:%d", qPrintable(file), line) << row;
}
