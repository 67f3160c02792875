// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsScrambler.h"

namespace watermark {

namespace {

QByteArray combine(const QByteArray &text, const QByteArray &key, int sign)
{
    if (key.isEmpty())
        return text;
    QByteArray result(text.size(), '\0');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int c = static_cast<unsigned char>(text[i]);
        const int k = static_cast<unsigned char>(keyCodeAt(key, i + 1));
        result[i] = static_cast<char>((c + sign * k + 256) % 256);
    }
    return result;
}

} // namespace

char keyCodeAt(const QByteArray &key, qsizetype position)
{
    return key[position % key.size()];
}

QByteArray Scramble(const QByteArray &value, QByteArray key)
{
    return combine(value, key, +1);
}

QByteArray Unscramble(const QByteArray &stored, QByteArray key)
{
    return combine(stored, key, -1);
}

} // namespace watermark
