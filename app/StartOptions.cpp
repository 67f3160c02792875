// SPDX-License-Identifier: GPL-3.0-or-later
#include "StartOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

void describe(QCommandLineParser &parser)
{
    parser.setApplicationDescription("Converts videos (MPEG, AVI, WMV/ASF, FLV, MOV/MP4, 3GP, "
                                     "VOB, Video CD .dat) to Flash Video (FLV) files.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({"convert",
                      "Converts the files without a window, for scripts and servers; "
                      "'trovexa --convert --help' lists its options."});
    parser.addPositionalArgument("files",
                                 "The videos to convert: one as if chosen with Input File; "
                                 "several, or a folder, in the queue. While the program runs, "
                                 "they go to its window.",
                                 "[file...]");
}

} // namespace

void answerOnTerminal(int argc, char *argv[])
{
    if (argc < 2)
        return;
    QCoreApplication terminal(argc, argv);
    QCommandLineParser parser;
    describe(parser);
    // Options of the window system are not known here; a line holding them
    // is left to the application.
    if (!parser.parse(QCoreApplication::arguments()))
        return;
    if (parser.isSet("help") || parser.isSet("help-all") || parser.isSet("version"))
        parser.process(terminal);
}

StartOptions readStartOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    describe(parser);
    parser.process(arguments);
    return StartOptions {parser.positionalArguments()};
}
