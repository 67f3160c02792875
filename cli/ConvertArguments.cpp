// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConvertArguments.h"

#include "pipeline/OptionLists.h"
#include "pipeline/Presets.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace cli {

namespace {

// An option whose value must be one of a window's lists.
struct ListOption
{
    const char *name;
    FixedOptionList list;
    QString pipeline::ConversionOptions::*field;
    QStringList spelled = {}; // the values as the line names them; empty: the list's entries
};

const QList<ListOption> &listOptions()
{
    using Options = pipeline::ConversionOptions;
    static const QList<ListOption> options = {
            {"size", OptionLists::videoWindow(), &Options::videoWindow},
            {"video-bitrate", OptionLists::videoBitrate(), &Options::videoBitrate},
            {"audio-bitrate", OptionLists::audioBitrate(), &Options::audioBitrate},
            {"sampling", OptionLists::audioSampling(), &Options::sampling},
            {"channels", OptionLists::audioChannels(), &Options::channels, {"mono", "stereo"}},
    };
    return options;
}

QStringList allowedValues(const ListOption &option)
{
    return option.spelled.isEmpty() ? option.list.entries : option.spelled;
}

QString defaultOf(const FixedOptionList &list)
{
    return list.entries.value(list.defaultPosition);
}

constexpr int MaxImages = 99; // the window's box takes two digits

void describe(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
            "Converts videos to Flash Video (FLV) files without a window, with the jobs of the "
            "window's queue: normalization where the window would normalize, encode, metadata "
            "and pictures. Options left out take the window's start values.\n"
            "Exit status: 0 every file converted, 1 some failed, 2 a mistake in the line "
            "(nothing written), 130 stopped with Ctrl-C.");
    parser.addHelpOption();
    parser.addOption({"convert", "Converts without a window (this form)."});
    parser.addOption({"output-folder", "Where the FLV files go (required).", "DIR"});
    parser.addOption({"output", "The FLV file's name (one source only).", "NAME"});
    parser.addOption({"preset",
                      "Starts from a preset: a built-in one (\"Classic web video\", \"H.264 for "
                      "today's players\") or one saved in the window. The options below replace "
                      "its values.",
                      "NAME"});
    for (const ListOption &option : listOptions()) {
        parser.addOption(
                {option.name,
                 QString("One of %1 (default %2, or the preset's).")
                         .arg(allowedValues(option).join(", "), defaultOf(option.list).toLower()),
                 "VALUE"});
    }
    parser.addOption({"no-audio", "Leaves the sound out."});
    parser.addOption({"deinterlace", "De-interlaces the picture."});
    parser.addOption({"quick", "Encodes every source directly, without normalization."});
    parser.addOption(
            {"codec", "classic (Sorenson H.263 + MP3, the default) or h264 (H.264 + AAC).", "NAME"});
    parser.addOption(
            {"images",
             QString("Also grabs JPEG pictures of the first N frames (1 to %1).").arg(MaxImages),
             "N"});
    parser.addOption({"watermark",
                      "Writes the watermark of a settings file saved by the window.",
                      "FILE.wsx"});
    parser.addOption({"overwrite", "Replaces output files that exist."});
    parser.addOption({"skip-existing",
                      "Skips the sources whose output is a whole FLV file; a damaged or half "
                      "written one is converted again."});
    parser.addOption({"report",
                      "Appends one JSON line for each source as it ends: source, output, state "
                      "(converted, skipped, failed, cancelled), seconds and, where it failed or "
                      "was skipped, reason.",
                      "FILE"});
    parser.addOption({"quiet", "Prints only failures."});
    parser.addPositionalArgument("files",
                                 "The videos, or folders of videos, to convert.",
                                 "FILE...");
}

ConvertAnswer mistake(const QString &what)
{
    return {"trovexa: " + what + "\nTry 'trovexa --convert --help'.\n", 2};
}

} // namespace

std::variant<ConvertRequest, ConvertAnswer> readConvertArguments(const QStringList &arguments,
                                                                 const QString &workingFolder,
                                                                 const QString &presetFolder)
{
    QCommandLineParser parser;
    describe(parser);
    if (!parser.parse(arguments))
        return mistake(parser.errorText());
    if (parser.isSet("help"))
        return ConvertAnswer {parser.helpText(), 0};

    ConvertRequest request;
    const QDir here(workingFolder);
    request.sources = parser.positionalArguments();
    if (request.sources.isEmpty())
        return mistake("no files to convert");
    for (QString &source : request.sources)
        source = here.absoluteFilePath(source);

    if (!parser.isSet("output-folder"))
        return mistake("--output-folder is required");
    const QFileInfo folder(here.absoluteFilePath(parser.value("output-folder")));
    if (!folder.isDir())
        return mistake("--output-folder: no such folder: " + folder.filePath());
    request.outputFolder = QDir::cleanPath(folder.absoluteFilePath()) + "/";
    if (request.outputFolder == "//")
        request.outputFolder = "/";

    if (parser.isSet("output")) {
        request.outputName = parser.value("output");
        if (request.sources.size() != 1 || QFileInfo(request.sources.first()).isDir())
            return mistake("--output names the output of one source file only");
        if (request.outputName.isEmpty() || request.outputName.contains(u'/')
            || request.outputName == "." || request.outputName == "..")
            return mistake("--output: a file name without a folder, not " + request.outputName);
    }

    pipeline::ConverterChoices preset = pipeline::startChoices();
    if (parser.isSet("preset")) {
        const auto loaded = pipeline::PresetFolder(presetFolder).load(parser.value("preset"));
        if (const auto *reason = std::get_if<QString>(&loaded))
            return mistake("--preset: " + *reason);
        preset = std::get<pipeline::ConverterChoices>(loaded);
    }
    pipeline::ConverterChoices audible = preset;
    audible.audioOff = false;
    const pipeline::ConversionOptions presetOptions = pipeline::conversionOptionsOf(audible);

    for (const ListOption &option : listOptions()) {
        QString value = presetOptions.*option.field;
        if (parser.isSet(option.name)) {
            const QString given = parser.value(option.name);
            const auto found = std::find_if(option.list.entries.begin(),
                                            option.list.entries.end(),
                                            [&](const QString &entry) {
                                                return entry.compare(given, Qt::CaseInsensitive)
                                                        == 0;
                                            });
            if (found == option.list.entries.end())
                return mistake(QString("--%1: %2 is not one of %3")
                                       .arg(option.name, given, allowedValues(option).join(", ")));
            value = *found;
        }
        request.options.*option.field = value;
    }
    request.options.audioOff = parser.isSet("no-audio") || preset.audioOff;
    if (request.options.audioOff) // as the window reads its controls
        request.options.sampling = request.options.audioBitrate = request.options.channels = {};
    request.options.deInterlace = parser.isSet("deinterlace") || preset.deInterlace;
    request.quick = parser.isSet("quick") || preset.quickEncode;
    request.options.codecs = preset.codecs;
    request.frameCount = pipeline::frameCountOf(preset);

    if (parser.isSet("codec")) {
        const QStringList codecNames = pipeline::allowedChoiceValues("codec");
        const qsizetype codec = codecNames.indexOf(parser.value("codec").toLower());
        if (codec < 0)
            return mistake("--codec: " + parser.value("codec") + " is not one of "
                           + codecNames.join(", "));
        request.options.codecs = pipeline::FlvCodecs(codec);
    }
    if (parser.isSet("images")) {
        bool number = false;
        const QString given = parser.value("images");
        const int count = given.toInt(&number);
        const bool digits = std::all_of(given.begin(), given.end(), [](QChar c) {
            return c >= u'0' && c <= u'9';
        });
        if (!number || !digits || count < 1 || count > MaxImages)
            return mistake(
                    QString("--images: %1 is not a number from 1 to %2").arg(given).arg(MaxImages));
        request.frameCount = QString::number(count);
    }
    if (parser.isSet("watermark"))
        request.watermarkFile = here.absoluteFilePath(parser.value("watermark"));
    if (parser.isSet("overwrite") && parser.isSet("skip-existing"))
        return mistake("--overwrite and --skip-existing exclude each other");
    request.existing = parser.isSet("overwrite") ? ExistingOutputs::Overwrite
            : parser.isSet("skip-existing")      ? ExistingOutputs::Skip
                                                 : ExistingOutputs::Refuse;
    request.quiet = parser.isSet("quiet");
    if (parser.isSet("report")) {
        if (parser.value("report").isEmpty())
            return mistake("--report: no file named");
        request.reportFile = here.absoluteFilePath(parser.value("report"));
    }
    return request;
}

} // namespace cli
