// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The texts of the About box.
namespace preview::AboutText {

inline const QString Caption = QStringLiteral("Trovexa FLV Converter");
inline const QString WebSite1 = QStringLiteral("https://www.trovexa.com/");
inline const QString WebSite2 = QStringLiteral("https://www.trovexa.com/flv-converter/");
inline const QString Uses = QStringLiteral("Trovexa FLV Converter uses FLVMDI");

// "Version 1.0.0", from the build's project version.
QString versionText();

// The credits for the media software the program runs on, with the licence
// notices those projects ask for (rich text).
QString attributionNotice();

} // namespace preview::AboutText
