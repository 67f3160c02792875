// SPDX-License-Identifier: GPL-3.0-or-later
#include "LegacyCommand.h"

#include <QRegularExpression>

namespace tools {

namespace {

struct RateParts
{
    QString number;
    QString prefix; // "", "k", "M" or "G"
};

std::optional<RateParts> rateParts(const QString &text)
{
    static const QRegularExpression pattern(R"(^\s*(\d+(?:\.\d+)?)([kKmMgG]?))");
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    QString prefix = match.captured(2);
    prefix = prefix.compare("k", Qt::CaseInsensitive) == 0 ? "k" : prefix.toUpper();
    return RateParts {match.captured(1), prefix};
}

std::optional<QString> frameRateValue(const QString &text)
{
    static const QRegularExpression pattern(R"(^\s*(\d+(?:\.\d+)?(?:/\d+)?))");
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch() || match.captured(1).section(u'/', 0, 0).toDouble() <= 0.0)
        return std::nullopt;
    return match.captured(1);
}

bool parseSize(const QString &text, int &width, int &height)
{
    static const QRegularExpression pattern(R"(^(\d{1,5})x(\d{1,5})$)");
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    width = match.captured(1).toInt();
    height = match.captured(2).toInt();
    return width > 0 && height > 0;
}

} // namespace

std::optional<qint64> leadingInteger(const QString &text)
{
    static const QRegularExpression pattern(R"(^\s*(\d{1,12}))");
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toLongLong();
}

std::optional<QString> videoBitrateValue(const QString &text)
{
    const std::optional<RateParts> parts = rateParts(text);
    if (!parts)
        return std::nullopt;
    return parts->number + parts->prefix;
}

std::optional<QString> audioBitrateValue(const QString &text)
{
    const std::optional<RateParts> parts = rateParts(text);
    if (!parts)
        return std::nullopt;
    if (parts->prefix.isEmpty() && parts->number.toDouble() < 1000.0)
        return parts->number + "k";
    return parts->number + parts->prefix;
}

namespace {

const QRegularExpression &numberField()
{
    static const QRegularExpression field(R"(%(0\d{1,2})?d)");
    return field;
}

} // namespace

bool isPicturePattern(const QString &output)
{
    const QString name = output.section(u'/', -1);
    if (!name.endsWith(".jpg", Qt::CaseInsensitive) && !name.endsWith(".jpeg", Qt::CaseInsensitive))
        return false;
    QRegularExpressionMatchIterator fields = numberField().globalMatch(name);
    int count = 0;
    for (; fields.hasNext(); fields.next())
        ++count;
    return count == 1;
}

QString pictureName(const QString &patternFileName, qint64 number)
{
    const QRegularExpressionMatch field = numberField().match(patternFileName);
    if (!field.hasMatch())
        return patternFileName;
    const int width = field.captured(1).isEmpty() ? 0 : field.captured(1).toInt();
    QString name = patternFileName;
    return name.replace(field.capturedStart(),
                        field.capturedLength(),
                        QString("%1").arg(number, width, 10, QChar(u'0')));
}

LegacyParse parseLegacyCommand(const QStringList &arguments)
{
    LegacyParse result;
    LegacyCommand &command = result.command;
    QStringList outputs;
    bool haveInput = false;

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &option = arguments[i];
        if (!option.startsWith('-') || option == "-") {
            outputs.append(option);
            continue;
        }
        if (option == "-deinterlace") {
            command.deInterlace = true;
            continue;
        }
        if (option == "-an") {
            command.audioOff = true;
            continue;
        }
        if (option == "-y")
            continue; // the front-end always overwrites

        static const QStringList withValue {"-i",
                                            "-b",
                                            "-r",
                                            "-s",
                                            "-ar",
                                            "-ab",
                                            "-ac",
                                            "-vframes",
                                            "-vhook",
                                            "-vcodec",
                                            "-acodec"};
        if (!withValue.contains(option)) {
            result.error = QString("unknown option %1").arg(option);
            return result;
        }
        if (i + 1 >= arguments.size()) {
            result.error = QString("option %1 needs a value").arg(option);
            return result;
        }
        const QString value = arguments[++i];
        const auto invalid = [&] {
            result.error = QString("invalid value \"%1\" for %2").arg(value, option);
            return result;
        };

        if (option == "-i") {
            if (haveInput) {
                result.error = "only one input file is supported";
                return result;
            }
            if (value.isEmpty())
                return invalid();
            command.input = value;
            haveInput = true;
        } else if (option == "-b") {
            const std::optional<QString> rate = videoBitrateValue(value);
            if (!rate)
                return invalid();
            command.videoBitrate = *rate;
        } else if (option == "-ab") {
            const std::optional<QString> rate = audioBitrateValue(value);
            if (!rate)
                return invalid();
            command.audioBitrate = *rate;
        } else if (option == "-r") {
            const std::optional<QString> rate = frameRateValue(value);
            if (!rate)
                return invalid();
            command.frameRate = *rate;
        } else if (option == "-s") {
            if (!parseSize(value, command.width, command.height))
                return invalid();
        } else if (option == "-ar") {
            const std::optional<qint64> rate = leadingInteger(value);
            if (!rate || *rate <= 0)
                return invalid();
            command.sampleRate = QString::number(*rate);
        } else if (option == "-ac") {
            const std::optional<qint64> channels = leadingInteger(value);
            if (!channels || *channels < 1 || *channels > 8)
                return invalid();
            command.channels = QString::number(*channels);
        } else if (option == "-vframes") {
            const std::optional<qint64> count = leadingInteger(value);
            if (!count)
                return invalid();
            command.frameCount = QString::number(*count);
        } else if (option == "-vhook") {
            if (command.hook) {
                result.error = "only one -vhook is supported";
                return result;
            }
            command.hook = value;
        } else if (option == "-vcodec") {
            if (value != "flv" && value != "h264") {
                result.error = QString("unsupported video codec \"%1\" (flv or h264)").arg(value);
                return result;
            }
            command.videoCodec = value;
        } else if (option == "-acodec") {
            if (value != "mp3" && value != "aac") {
                result.error = QString("unsupported audio codec \"%1\" (mp3 or aac)").arg(value);
                return result;
            }
            command.audioCodec = value;
        }
    }

    if (!haveInput)
        result.error = "no input file given (-i)";
    else if (outputs.isEmpty())
        result.error = "no output file given";
    else if (outputs.size() > 1)
        result.error = QString("unexpected argument \"%1\"").arg(outputs.first());
    else if (outputs.first().isEmpty())
        result.error = "the output file name is empty";
    else
        command.output = outputs.first();
    return result;
}

} // namespace tools
