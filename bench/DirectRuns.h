// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The stages of a conversion run directly, as the program drives them,
// without its job: for the sides a benchmark compares with the program.

#include "BenchSupport.h"

#include "media/FrameSize.h"
#include "media/VideoEditComponent.h"
#include "pipeline/EncoderArguments.h"
#include "pipeline/StageCommands.h"

#include <QEventLoop>
#include <QProcess>

namespace bench {

struct Command
{
    QString program;
    QStringList arguments;
};

// Runs a command to its end; a failure ends the benchmark with the
// command's last error output.
inline Cost run(const Command &command)
{
    return measure([&] {
        QProcess process;
        process.setStandardInputFile(QProcess::nullDevice());
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(command.program, command.arguments);
        process.waitForFinished(-1);
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            fail("failed: " + command.program + ' ' + command.arguments.join(' ') + '\n'
                 + QString::fromLocal8Bit(process.readAllStandardError().right(2000)));
    });
}

// The encode line the window builds for input, writing folder/clip.flv, with
// a common choice: 320x240 at 350 kbit/s, 22050 Hz stereo at 64 kbit/s.
inline Command encodeLine(const QString &appFolder,
                          const QString &input,
                          const QString &folder,
                          const QString &name = "clip.flv")
{
    pipeline::ConversionOptions options;
    options.videoBitrate = "350";
    options.videoWindow = "320x240";
    options.sampling = "22050";
    options.audioBitrate = "64";
    options.channels = "Stereo";
    const pipeline::StageCommand command = pipeline::encodeCommand(
            appFolder,
            input,
            pipeline::BuildEncoderArguments(options, appFolder, "/usr/share", u'/'),
            folder,
            name,
            u'/');
    return {command.program, command.arguments.list()};
}

// Normalizes with the component, driven as the program drives it.
inline Cost normalize(media::VideoEditComponent &component,
                      const QString &source,
                      const QString &target)
{
    return measure([&] {
        double length = *component.GetFileDuration(source);
        component.setAudioSampleRate(44100);
        component.setAudioBitrate(128);
        component.setOutputFormat(6);
        component.setFrameRate(25);
        const media::FrameSize size = media::intermediateFrameSize(
                {*component.GetFileWidth(source), *component.GetFileHeight(source)});
        component.setOutputHeight(qint16(size.height));
        component.setOutputWidth(qint16(size.width));
        component.setColorDepth(24);
        component.ClearClips();
        component.AddVideoClip(source, 0.0, length, 2);
        component.AddAudioClip(source, 0.0, length);
        QEventLoop loop;
        bool finished = false;
        QObject::connect(&component, &media::VideoEdit::ConversionFinished, &loop, [&] {
            finished = true;
            loop.quit();
        });
        QObject::connect(&component, &media::VideoEdit::ConversionFailed, &loop, &QEventLoop::quit);
        if (!component.SetOutputFile(target) || !component.StartConversion())
            fail("normalization did not start");
        loop.exec();
        if (!finished)
            fail("normalization failed");
    });
}

// The metadata stage's line for folder/name.
inline Command metadataLine(const QString &appFolder, const QString &folder, const QString &name)
{
    const pipeline::StageCommand command = pipeline::metadataCommand(appFolder, folder, name, u'/');
    return {command.program, command.arguments.list()};
}

} // namespace bench
