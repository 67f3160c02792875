// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace watermark {

// Text in the single-byte code page the settings files are written in
// (Windows-1252), converted with iconv.

// nullopt when a character has no Windows-1252 byte; position then tells
// which (counted from 0).
std::optional<QByteArray> toWindows1252(const QString &text, qsizetype *position = nullptr);

// Every byte decodes; the five bytes Windows-1252 leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of the same
// code, as Windows reads them.
QString fromWindows1252(const QByteArray &bytes);

} // namespace watermark
