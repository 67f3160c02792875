// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

namespace tools {

// Gives the FLV file named by the only argument full metadata (duration,
// size, frame rate, data rates, codecs, keyframe index) in place. The system
// flvmeta writes the updated file under a temporary name in the same folder;
// it is flushed to the disk and renamed over the original. Whatever fails or
// interrupts the run before that rename, the original stays as it was.
int runMetadata(const QStringList &arguments);

} // namespace tools
