// SPDX-License-Identifier: GPL-3.0-or-later
#include "InputRules.h"

#include <limits>

namespace watermark {

namespace {

constexpr int AlphaMaximum = 255;
constexpr int AlphaMinimum = 1;
const QString AlphaOverLimit = QStringLiteral("100");

} // namespace

bool digitFilterAccepts(char16_t code)
{
    return code == 8 || (code >= u'0' && code <= u'9');
}

bool typesCharacter(int key, Qt::KeyboardModifiers modifiers, const QString &text)
{
    if (text.isEmpty() || (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    // Character keys have codes below Qt's range of special keys; a
    // character without a key of its own comes as Key_unknown.
    return key < Qt::Key_Escape || key == Qt::Key_Backspace || key == Qt::Key_unknown;
}

std::optional<int> fieldValue(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok || value < std::numeric_limits<qint16>::min()
        || value > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return value;
}

std::optional<QString> alphaLimit(const QString &alphaText)
{
    const std::optional<int> value = fieldValue(alphaText);
    if (value && *value > AlphaMaximum)
        return AlphaOverLimit;
    return std::nullopt;
}

std::optional<QString> alphaStepUp(const QString &alphaText)
{
    const std::optional<int> value = fieldValue(alphaText);
    if (!value || *value >= AlphaMaximum)
        return std::nullopt;
    return QString::number(*value + 1);
}

std::optional<QString> alphaStepDown(const QString &alphaText)
{
    const std::optional<int> value = fieldValue(alphaText);
    if (!value || *value <= AlphaMinimum)
        return std::nullopt;
    return QString::number(*value - 1);
}

} // namespace watermark
