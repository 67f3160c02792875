// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QtTest>

#include <functional>

// The rows of one table in tests/data/<file>: lines "table<TAB>field<TAB>...", each with its
// line number; with no table, every line but blank ones and comments ("#"), all its fields.
// "\r", "\n" and "\\" are written out. None when the file is missing.
inline QList<std::pair<int, QStringList>> dataRows(const QString &file, const QString &table = {})
{
    QFile data(TROVEXA_TEST_DATA "/" + file);
    const QStringList lines = data.open(QIODevice::ReadOnly)
            ? QString::fromUtf8(data.readAll()).split(u'\n')
            : QStringList();
    QList<std::pair<int, QStringList>> rows;
    for (int i = 0; i < lines.size(); ++i) {
        QString line;
        for (qsizetype c = 0; c < lines[i].size(); ++c) {
            const QChar next = c + 1 < lines[i].size() ? lines[i][c + 1] : QChar();
            const qsizetype escape = lines[i][c] == '\\' ? QString("rn\\").indexOf(next) : -1;
            line += escape < 0 ? lines[i][c] : QString("\r\n\\")[escape];
            c += escape < 0 ? 0 : 1;
        }
        const QStringList row = line.split('\t');
        if (table.isEmpty() ? !lines[i].isEmpty() && !lines[i].startsWith('#') : row[0] == table)
            rows.append({i + 1, row.mid(table.isEmpty() ? 0 : 1)});
    }
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

// For a file of rows "function<TAB>arguments, split at "|"<TAB>result": each row for which
// result gives something else, named "file:line" with what it gave; a line when there are none.
inline QString differingRows(
        const QString &file,
        const std::function<QString(const QString &, const QStringList &)> &result)
{
    const auto rows = dataRows(file);
    QStringList differing;
    for (const auto &[line, row] : rows)
        if (const QString given = result(row[0], row[1].split('|')); given != row.value(2))
            differing << QString("%1:%2: %3").arg(file).arg(line).arg(given);
    return rows.isEmpty() ? file + ": no rows" : differing.join('\n');
}
