// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <initializer_list>

namespace pipeline {

// An argument list and the text it shows as in the window, built together
// so that the two never disagree. Only the text has blanks and quotes; the
// list holds every argument exactly as given, whatever characters it has.
class CommandArguments
{
public:
    // Each word is one argument; in the text, each is followed by a blank.
    CommandArguments &words(std::initializer_list<QString> arguments);
    // One argument; in the text, between double quotes.
    CommandArguments &quoted(const QString &argument);
    // A blank in the text only.
    CommandArguments &blank();
    CommandArguments &append(const CommandArguments &more);

    const QStringList &list() const { return m_list; }
    const QString &text() const { return m_text; }
    bool operator==(const CommandArguments &) const = default;

private:
    QStringList m_list;
    QString m_text;
};

// One stage's command: the program started with its argument list, and the
// command text the window shows (the program path unquoted, then the
// arguments' text).
struct StageCommand
{
    QString program;
    CommandArguments arguments;

    QString text() const { return program + arguments.text(); }
};

} // namespace pipeline
