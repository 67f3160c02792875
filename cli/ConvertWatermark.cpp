// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConvertWatermark.h"

#include "watermark/WatermarkSettings.h"

namespace cli {

std::optional<QString> readWatermarkLists(const QString &applicationFolder, WatermarkLists &lists)
{
    const auto lines = [&](const char *name, QStringList &into) -> std::optional<QString> {
        const DataFileText text = readDataFile(applicationFolder + "/" + name);
        if (text.failure)
            return text.failure->message();
        into = text.lines;
        return std::nullopt;
    };
    QStringList fonts, sizes, colors;
    for (const auto &[name, into] : {std::pair {"fonts.txt", &fonts},
                                     std::pair {"fontsizes.txt", &sizes},
                                     std::pair {"colors.txt", &colors}}) {
        if (const auto problem = lines(name, *into))
            return problem;
    }
    const DataFileRead<FontEntry> fontRead = parseFonts(fonts);
    const DataFileRead<ColorEntry> colorRead = parseColors(colors);
    for (const auto &failure : {fontRead.failure, colorRead.failure}) {
        if (failure)
            return failure->message();
    }
    lists = {fontRead.entries, parseFontSizes(sizes).entries, colorRead.entries};
    return std::nullopt;
}

std::optional<QString> applyWatermarkSettings(const QByteArray &bytes,
                                              const WatermarkLists &lists,
                                              pipeline::ConversionOptions &options)
{
    const watermark::LoadedSettings loaded = watermark::settingsFromBytes(bytes);
    // An index selects an entry of its list; -1 selects none.
    const auto inList = [](const std::optional<qint16> &index, qsizetype size) {
        return index && *index >= -1 && *index < size;
    };
    if (!loaded.text || !loaded.color || !loaded.font || !loaded.fontSize || !loaded.left
        || !loaded.top || !loaded.alpha)
        return QStringLiteral("not a whole watermark settings file");
    if (!inList(loaded.color, lists.colors.size()))
        return QStringLiteral("its colour is not one of the colour list");
    if (!inList(loaded.font, lists.fonts.size()))
        return QStringLiteral("its font is not one of the font list");
    if (!inList(loaded.fontSize, lists.fontSizes.size()))
        return QStringLiteral("its font size is not one of the size list");
    options.watermarkText = watermark::toBoxLineBreaks(*loaded.text);
    if (options.watermarkText.isEmpty())
        return QStringLiteral("WATERMARK TEXT MISSING!");
    options.watermarkOn = true;
    options.colorName = *loaded.color < 0 ? QString() : lists.colors[*loaded.color].name;
    options.fontFile = *loaded.font < 0 ? QString() : lists.fonts[*loaded.font].fileName;
    options.fontSize = *loaded.fontSize < 0 ? QString() : lists.fontSizes[*loaded.fontSize];
    options.left = *loaded.left;
    options.top = *loaded.top;
    options.alpha = *loaded.alpha;
    return std::nullopt;
}

} // namespace cli
