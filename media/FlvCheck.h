// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace media {

// Whether the file is a whole FLV file as the converter leaves it: the FLV
// header, a metadata tag ("onMetaData") first that the metadata stage has
// completed ("hasMetadata" true), then audio, video and script
// tags whose sizes chain without a gap up to the very end of the file, with
// at least one picture or sound. A file cut short, grown by stray bytes or
// still without its metadata is not. Only the headers are read.
bool isWholeFlv(const QString &path);

} // namespace media
