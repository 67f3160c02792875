// libFuzzer target for the watermark settings files:
// - any bytes given to the loader are read without a crash, and a complete
//   set of values read from them saves and loads back unchanged;
// - values made from the bytes either save and load back unchanged, or are
//   refused without a crash.
#include "watermark/WatermarkSettings.h"
#include "watermark/Windows1252.h"

#include <QStringList>

#include <cstdint>
#include <cstdlib>

using namespace watermark;

namespace {

LoadedSettings complete(const WatermarkSettings &s)
{
    return {s.text, s.color, s.font, s.fontSize, s.left, s.top, s.alpha};
}

void roundTrip(const WatermarkSettings &settings)
{
    const auto saved = settingsToBytes(settings);
    if (const auto *file = std::get_if<QByteArray>(&saved)) {
        if (!(settingsFromBytes(*file) == complete(settings)))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    const LoadedSettings loaded = settingsFromBytes(bytes);
    if (loaded.alpha) {
        roundTrip({*loaded.text,
                   *loaded.color,
                   *loaded.font,
                   *loaded.fontSize,
                   *loaded.left,
                   *loaded.top,
                   *loaded.alpha});
    }

    QStringList parts = fromWindows1252(bytes).split(QChar(1));
    while (parts.size() < 4)
        parts << QString();
    const auto index = [&](int i) {
        return static_cast<qint16>(parts[i].size() % 50 - 1);
    };
    roundTrip({parts[0], index(1), index(2), index(3), parts[1], parts[2], parts[3]});
    return 0;
}
