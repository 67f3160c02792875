// SPDX-License-Identifier: GPL-3.0-or-later
#include "EncodeRequest.h"

#include <QFileInfo>

namespace pipeline {

namespace {

QString lastFourLower(const QString &text)
{
    return text.right(4).toLower();
}

} // namespace

std::optional<RequestProblem> checkRequest(const EncodeRequest &r, const SameFileTest &sameFile)
{
    using enum RequestControl;
    if (r.sourcePath.isEmpty())
        return RequestProblem {"NO FILE TO ENCODE!", cmdInput, 0};
    if (r.outputFolder.isEmpty())
        return RequestProblem {"OUTPUT FOLDER MISSING!", cmdOutput, 0};
    if (r.outputName.isEmpty())
        return RequestProblem {"OUTPUT FILE NAME MISSING!", txtOutFile, 0};
    if (lastFourLower(r.outputName) != ".flv")
        return RequestProblem {"INVALID OUTPUT FILE NAME! MUST BE A .FLV FILE.", txtOutFile, 0};
    if (r.watermarkOn && r.watermarkText.isEmpty())
        return RequestProblem {"WATERMARK TEXT MISSING!", txtWatermark, 1};

    if (r.sourceKind == PathKind::Special || r.sourceKind == PathKind::Folder)
        return RequestProblem {fileNotFound(r.sourcePath), cmdInput, 0};
    if (sameFile(r.sourcePath, r.outputFolder + r.outputName))
        return RequestProblem {"OUTPUT FILE CANNOT BE THE SOURCE FILE!", txtOutFile, 0};
    return std::nullopt;
}

bool needsNormalization(const QString &sourcePath, bool quickEncode)
{
    static const QStringList types = {".avi", ".mov", ".mp4", ".3gp", ".wmv", ".asf", ".dat", ".vob"};
    return !quickEncode && types.contains(lastFourLower(sourcePath));
}

std::optional<QString> proposeOutputName(const QString &t)
{
    const QString lower = t.toLower();
    // Names with the usual extensions keep their stem exactly; others (no
    // extension, or a long one) get ".flv" in place of whatever follows
    // their last dot.
    if (lower.endsWith(".mpeg"))
        return t.chopped(4) + "flv";
    if (t.size() >= 4 && t[t.size() - 4] == u'.')
        return t.chopped(3) + "flv";
    if (t.size() < 3)
        return std::nullopt;
    const QFileInfo info(t);
    const QString stem = info.completeBaseName();
    return (stem.isEmpty() ? t : stem) + ".flv";
}

QString outputFolderText(const QString &chosen, QChar separator)
{
    if (chosen.isEmpty() || chosen.endsWith(separator))
        return chosen;
    return chosen + separator;
}

QString imageFrameCount(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok && value > 0 ? text : QStringLiteral("10");
}

} // namespace pipeline
