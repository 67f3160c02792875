// SPDX-License-Identifier: GPL-3.0-or-later
#include "WatermarkHook.h"

#include <QRegularExpression>

namespace tools {

namespace {

constexpr auto ModuleName = "imlib2.dll";

// After the module path the markers come in a fixed order, and the text comes
// last, so each part before it ends at the first marker that follows it. The
// font size is the number after the last "/" of the -F value; the numbers of
// -A, -x and -y sit together, which keeps a colour table path holding " -A "
// intact.
const QRegularExpression &optionsPattern()
{
    static const QRegularExpression
            pattern(QRegularExpression::anchoredPattern(
                            R"((.*?) -F (.*?)/(\d{1,4}) -C (.*?))"
                            R"( -A (-?\d{1,6}) -x (\d{1,6}) -y (\d{1,6}) -t (.*))"),
                    QRegularExpression::DotMatchesEverythingOption);
    return pattern;
}

QString fileName(const QString &path)
{
    const qsizetype slash = std::max(path.lastIndexOf('/'), path.lastIndexOf('\\'));
    return path.mid(slash + 1);
}

} // namespace

WatermarkHookParse parseWatermarkHook(const QString &argument)
{
    WatermarkHookParse result;

    // The module path ends where its file name is followed by " -c ", so a
    // folder name holding " -c " does not cut it short. Without such a place
    // the first " -c " ends it, and the name check below reports the module.
    static const QRegularExpression moduleEnd(QRegularExpression::escape(ModuleName) + " -c ",
                                              QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch end = moduleEnd.match(argument);
    const QString marker = " -c ";
    const qsizetype split = end.hasMatch() ? end.capturedEnd() - marker.size()
                                           : argument.indexOf(marker);
    const QRegularExpressionMatch match = split < 0
            ? QRegularExpressionMatch()
            : optionsPattern().match(argument.mid(split + marker.size()));
    if (!match.hasMatch()) {
        result.error = "malformed watermark hook argument: expected <module> -c <colour> "
                       "-F <font>/<size> -C <colour table> -A <alpha> -x <left> -y <top> -t <text>";
        return result;
    }

    WatermarkHook &hook = result.hook;
    hook.module = argument.left(split);
    hook.colourName = match.captured(1);
    hook.fontFile = match.captured(2);
    hook.fontSize = match.captured(3).toInt();
    hook.colourTable = match.captured(4);
    hook.alpha = match.captured(5).toInt();
    hook.left = match.captured(6).toInt();
    hook.top = match.captured(7).toInt();
    hook.text = match.captured(8);

    if (fileName(hook.module).compare(ModuleName, Qt::CaseInsensitive) != 0)
        result.error = QString("unknown watermark hook module \"%1\"").arg(hook.module);
    else if (hook.colourName.isEmpty())
        result.error = "the watermark colour name is empty";
    else if (hook.fontFile.isEmpty() || hook.fontSize <= 0)
        result.error = "the watermark font needs a file and a size above 0";
    else if (hook.colourTable.isEmpty())
        result.error = "the watermark colour table path is empty";
    else if (hook.alpha < 0 || hook.alpha > 255)
        result.error = QString("watermark alpha %1 is outside 0 to 255").arg(hook.alpha);
    return result;
}

} // namespace tools
