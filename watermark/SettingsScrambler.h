// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

namespace watermark {

// The fixed key every watermark settings line is scrambled with.
inline const QByteArray SettingsKey = QByteArrayLiteral("tesseracoil");

// Adds the key's codes to the value's byte codes, modulo 256. The key is
// used from its second letter: value position 1 takes key position 2, value
// position 11 (with an 11-letter key) takes key position 1. An empty key
// leaves the value unchanged.
QByteArray Scramble(const QByteArray &value, QByteArray key);
// The reverse of Scramble.
QByteArray Unscramble(const QByteArray &stored, QByteArray key);

// The key code that value position (counted from 1) is combined with.
char keyCodeAt(const QByteArray &key, qsizetype position);

} // namespace watermark
