#include "CommandLine.h"

namespace pipeline {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Where the program name ends, given the start of the non-blank text.
qsizetype headEnd(QStringView text, const ProgramProbe &probe)
{
    // The head can only reach as far as the first quote.
    const qsizetype quote = text.indexOf(u'"');
    const qsizetype limit = quote < 0 ? text.size() : quote;

    QList<qsizetype> candidates;
    for (qsizetype i = 1; i < limit; ++i) {
        if (isBlank(text[i]) && !isBlank(text[i - 1]))
            candidates.append(i);
    }
    if (quote < 0 && !isBlank(text.back()))
        candidates.append(text.size());

    for (const platform::FileKind wanted :
         {platform::FileKind::Executable, platform::FileKind::File}) {
        for (const qsizetype end : std::as_const(candidates)) {
            if (probe(text.first(end).toString()) == wanted)
                return end;
        }
    }
    return candidates.isEmpty() ? limit : candidates.first();
}

} // namespace

QStringList splitArguments(QStringView text)
{
    QStringList arguments;
    QString current;
    bool inQuotes = false;
    bool haveArgument = false;
    for (const QChar c : text) {
        if (c == u'"') {
            inQuotes = !inQuotes;
            haveArgument = true;
        } else if (isBlank(c) && !inQuotes) {
            if (haveArgument)
                arguments.append(current);
            current.clear();
            haveArgument = false;
        } else {
            current.append(c);
            haveArgument = true;
        }
    }
    if (haveArgument)
        arguments.append(current);
    return arguments;
}

std::optional<CommandLine> splitCommandLine(const QString &text, const ProgramProbe &probe)
{
    qsizetype start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;
    if (start == text.size())
        return std::nullopt;

    const QStringView rest = QStringView(text).sliced(start);
    if (rest.front() == u'"') {
        QStringList words = splitArguments(rest);
        CommandLine command {words.takeFirst(), words};
        return command;
    }

    const qsizetype end = headEnd(rest, probe);
    return CommandLine {rest.first(end).toString(), splitArguments(rest.sliced(end))};
}

} // namespace pipeline
