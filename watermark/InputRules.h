// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <Qt>

#include <optional>

namespace watermark {

// The position and alpha boxes hold at most this many characters.
constexpr int MaxFieldLength = 3;

// The digit filter of the position and alpha boxes: a typed character code
// passes when it is a backspace (8) or one of "0123456789"; every other
// character, control characters included, is discarded.
bool digitFilterAccepts(char16_t code);

// Whether a key press types a character, which the digit filter then judges.
// Keys that only move or act (Tab, Backtab, arrows, Home, End, Delete, Escape,
// Return) and shortcuts (with Control, Alt or Meta) are not characters, even
// when they come with a text such as "\t"; Backspace counts as one.
bool typesCharacter(int key, Qt::KeyboardModifiers modifiers, const QString &text);

// The alpha upper limit: a value above 255 becomes "100". nullopt when the
// text stays as it is (within the limit, empty or not a number).
std::optional<QString> alphaLimit(const QString &alphaText);

// The spinner beside the alpha box: up stops at 255, down at 1, and the
// result has no leading zeros ("007" up gives "8"). nullopt when nothing
// changes (at the limit, empty or not a number).
std::optional<QString> alphaStepUp(const QString &alphaText);
std::optional<QString> alphaStepDown(const QString &alphaText);

// A box's text as a whole number, the way the rules read it.
std::optional<int> fieldValue(const QString &text);

} // namespace watermark
