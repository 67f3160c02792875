// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <array>
#include <optional>

namespace checks {

// The fixed version block of a file: signature, structure version, file
// version (most, least significant word), product version (most, least),
// flags mask, flags, OS, type, subtype, date (most, least). All zero when
// the file has no readable version.
struct FixedFileInfo
{
    std::array<quint32, 13> words {};

    quint32 fileVersionMS() const { return words[2]; }
    quint32 fileVersionLS() const { return words[3]; }
    bool operator==(const FixedFileInfo &) const = default;
};

// The DirectX version text from the stored version value ("4.09.00.0904"
// gives "9.0"): the three characters from the fourth on; empty when the
// value is missing or shorter than four characters.
QString directXVersionText(const std::optional<QString> &storedValue);

// Whether a DirectX version text meets the requirement of version 8.0 or
// more; nullopt when the text is not a number.
std::optional<bool> meetsDirectXRequirement(const QString &versionText);

// High half, ".", low half of a version word: 0x000C0000 gives "12.0".
QString FormatVersionWord(quint32 word);

// major.minor.build.revision of a version block; a zero block gives "0.0.0.0".
QString fileVersionText(const FixedFileInfo &info);

// "d.d.d" from the leading hexadecimal digits of a QuickTime version number
// ("7668000" gives "7.6.6"); empty text, for a version that could not be
// read, gives "..".
QString formatQuickTimeHex(const QString &hex);

} // namespace checks
