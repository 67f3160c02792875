#pragma once

#include "platform/FileSystem.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace pipeline {

struct CommandLine
{
    QString program;
    QStringList arguments;
    bool operator==(const CommandLine &) const = default;
};

using ProgramProbe = std::function<platform::FileKind(const QString &path)>;

// Turns a command text into a program and its arguments, without a shell.
//
// An unquoted head may contain blanks ("/home/me/My Apps/conv/ffmpeg -i ..."):
// as Windows does for an unquoted program path, the program is the shortest
// prefix ending before a blank that names an executable file; failing that,
// the shortest that names any file (its start then fails with a permission
// error); failing that, the first word. A quoted head names the program
// directly. The rest splits at blanks outside double quotes, and the quotes
// are removed; "" gives an empty argument.
//
// A text of blanks only gives no command.
std::optional<CommandLine> splitCommandLine(const QString &text, const ProgramProbe &probe);

// Splits at blanks outside double quotes and removes the quotes.
QStringList splitArguments(QStringView text);

} // namespace pipeline
