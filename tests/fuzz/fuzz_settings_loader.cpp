// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for watermark settings files: any bytes load without a crash, and the values
// read from them, or made from them, are either refused or saved and loaded back unchanged.
#include "watermark/WatermarkSettings.h"
#include "watermark/Windows1252.h"

#include <QStringList>

#include <cstdlib>

using namespace watermark;

static void roundTrip(const WatermarkSettings &s)
{
    const auto saved = settingsToBytes(s);
    const LoadedSettings all {s.text, s.color, s.font, s.fontSize, s.left, s.top, s.alpha};
    if (const auto *file = std::get_if<QByteArray>(&saved); file && settingsFromBytes(*file) != all)
        std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const LoadedSettings l = settingsFromBytes(bytes);
    if (l.alpha)
        roundTrip({*l.text, *l.color, *l.font, *l.fontSize, *l.left, *l.top, *l.alpha});
    QStringList parts = fromWindows1252(bytes).split(QChar(1));
    parts.resize(std::max<qsizetype>(parts.size(), 4));
    const auto index = [&](int i) {
        return qint16(parts[i].size() % 50 - 1);
    };
    roundTrip({parts[0], index(1), index(2), index(3), parts[1], parts[2], parts[3]});
    return 0;
}
