// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SourceChoice.h"

#include <QChar>
#include <QString>

#include <functional>
#include <optional>

namespace pipeline {

// What the user asked for, as the window holds it when Start Encoding is
// pressed.
struct EncodeRequest
{
    QString sourcePath; // "" until a source is chosen
    QString outputFolder; // ends in the separator whenever it is not ""
    QString outputName; // file name without folder
    bool watermarkOn = false;
    QString watermarkText;
    PathKind sourceKind = PathKind::File; // what the source path names now
};

// The control a refused request sends the user to, and its tab.
enum class RequestControl { cmdInput, cmdOutput, txtOutFile, txtWatermark };

struct RequestProblem
{
    QString message;
    RequestControl focus;
    int tab = 0;
    bool operator==(const RequestProblem &) const = default;
};

using SameFileTest = std::function<bool(const QString &, const QString &)>;

// The checks of a request, in order; the first that fails is the answer.
// After the five classic checks come the guards against a source that is a
// pipe, a device or a folder (a missing one is left to the stages, which
// report it) and against writing over the source.
std::optional<RequestProblem> checkRequest(const EncodeRequest &request,
                                           const SameFileTest &sameFile);

// The question asked before an existing output file is replaced.
inline const QString OverwriteQuestion = QStringLiteral("OUTPUT FILE ALREADY EXISTS! OVERWRITE?");

// Sources of these types go through normalization unless Quick Encode is set.
bool needsNormalization(const QString &sourcePath, bool quickEncode);

// The output name proposed for a chosen source file name: clip.avi gives
// clip.flv, CLIP.MPEG gives CLIP.flv. nullopt when the name is too short to
// cut, and the plain name stays.
std::optional<QString> proposeOutputName(const QString &fileName);

// The folder as the output folder: the separator added when it is missing.
QString outputFolderText(const QString &chosen, QChar separator);

// The frame count the image stage uses: a text whose value is not a
// positive whole number becomes "10".
QString imageFrameCount(const QString &text);

} // namespace pipeline
