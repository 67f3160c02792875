// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConverterChoices.h"

#include "OptionLists.h"

#include <functional>

namespace pipeline {

namespace {

constexpr int MaxPictures = 99; // the window's box takes two digits

QString defaultOf(const FixedOptionList &list)
{
    return list.entries.value(list.defaultPosition);
}

QStringList pictureCounts()
{
    QStringList counts;
    for (int count = 1; count <= MaxPictures; ++count)
        counts << QString::number(count);
    return counts;
}

// One key: the values it may take as a file spells them, and where the
// chosen one goes. get gives the position of the choices' value (-1 when it
// is none of them); set takes a position.
struct ChoiceKey
{
    QString key;
    QStringList spelled;
    std::function<qsizetype(const ConverterChoices &)> get;
    std::function<void(ConverterChoices &, qsizetype)> set;
};

ChoiceKey listKey(const QString &key,
                  const QStringList &spelled,
                  const QStringList &values,
                  QString ConverterChoices::*field)
{
    return {key,
            spelled,
            [values, field](const ConverterChoices &c) { return values.indexOf(c.*field); },
            [values, field](ConverterChoices &c, qsizetype i) {
                c.*field = values.value(i);
            }};
}

ChoiceKey listKey(const QString &key, const FixedOptionList &list, QString ConverterChoices::*field)
{
    return listKey(key, list.entries, list.entries, field);
}

ChoiceKey switchKey(const QString &key, bool ConverterChoices::*field, bool inverted = false)
{
    return {key,
            {"no", "yes"},
            [field, inverted](const ConverterChoices &c) { return qsizetype(c.*field != inverted); },
            [field, inverted](ConverterChoices &c, qsizetype i) {
                c.*field = (i == 1) != inverted;
            }};
}

const QList<ChoiceKey> &choiceTable()
{
    using C = ConverterChoices;
    static const QList<ChoiceKey> table = {
            listKey("size", OptionLists::videoWindow(), &C::videoWindow),
            listKey("video-bitrate", OptionLists::videoBitrate(), &C::videoBitrate),
            switchKey("deinterlace", &C::deInterlace),
            switchKey("images", &C::pictures),
            listKey("image-count", pictureCounts(), pictureCounts(), &C::pictureCount),
            {"codec",
             {"classic", "h264"},
             [](const C &c) { return qsizetype(c.codecs); },
             [](C &c, qsizetype i) {
                 c.codecs = FlvCodecs(i);
             }},
            switchKey("quick", &C::quickEncode),
            switchKey("audio", &C::audioOff, true),
            listKey("audio-bitrate", OptionLists::audioBitrate(), &C::audioBitrate),
            listKey("sampling", OptionLists::audioSampling(), &C::sampling),
            listKey("channels",
                    {"stereo", "mono"},
                    OptionLists::audioChannels().entries,
                    &C::channels),
    };
    return table;
}

const ChoiceKey *findKey(const QString &key)
{
    for (const ChoiceKey &entry : choiceTable()) {
        if (entry.key == key)
            return &entry;
    }
    return nullptr;
}

// The chosen value's position, or the refusal.
std::variant<qsizetype, ChoiceRefusal> valuePosition(const ChoiceKey &key, const QString &value)
{
    for (qsizetype i = 0; i < key.spelled.size(); ++i) {
        if (key.spelled[i].compare(value, Qt::CaseInsensitive) == 0)
            return i;
    }
    return ChoiceRefusal {ChoiceRefusal::Kind::NotAllowed, key.key, value};
}

} // namespace

ConverterChoices startChoices()
{
    ConverterChoices choices;
    choices.videoWindow = defaultOf(OptionLists::videoWindow());
    choices.videoBitrate = defaultOf(OptionLists::videoBitrate());
    choices.pictureCount = "10";
    choices.sampling = defaultOf(OptionLists::audioSampling());
    choices.audioBitrate = defaultOf(OptionLists::audioBitrate());
    choices.channels = defaultOf(OptionLists::audioChannels());
    return choices;
}

QStringList allowedChoiceValues(const QString &key)
{
    const ChoiceKey *found = findKey(key);
    return found ? found->spelled : QStringList();
}

ChoiceEntries choiceEntries(const ConverterChoices &choices)
{
    ChoiceEntries entries;
    for (const ChoiceKey &key : choiceTable())
        entries.append({key.key, key.spelled.value(key.get(choices))});
    return entries;
}

std::variant<ConverterChoices, ChoiceRefusal> readChoiceEntries(const ChoiceEntries &entries)
{
    ConverterChoices choices = startChoices();
    QStringList seen;
    for (const auto &[name, value] : entries) {
        const ChoiceKey *key = findKey(name);
        if (!key)
            return ChoiceRefusal {ChoiceRefusal::Kind::UnknownKey, name, value};
        if (seen.contains(name))
            return ChoiceRefusal {ChoiceRefusal::Kind::Repeated, name, value};
        seen << name;
        const auto position = valuePosition(*key, value);
        if (const auto *refusal = std::get_if<ChoiceRefusal>(&position))
            return *refusal;
        key->set(choices, std::get<qsizetype>(position));
    }
    return choices;
}

ConverterChoices readChoiceEntriesLeniently(const ChoiceEntries &entries)
{
    ConverterChoices choices = startChoices();
    for (const auto &[name, value] : entries) {
        const ChoiceKey *key = findKey(name);
        if (!key)
            continue;
        const auto position = valuePosition(*key, value);
        if (const auto *taken = std::get_if<qsizetype>(&position))
            key->set(choices, *taken);
    }
    return choices;
}

ConversionOptions conversionOptionsOf(const ConverterChoices &choices)
{
    ConversionOptions options;
    options.videoWindow = choices.videoWindow;
    options.videoBitrate = choices.videoBitrate;
    options.deInterlace = choices.deInterlace;
    options.audioOff = choices.audioOff;
    if (!choices.audioOff) { // as the window reads its controls
        options.sampling = choices.sampling;
        options.audioBitrate = choices.audioBitrate;
        options.channels = choices.channels;
    }
    options.codecs = choices.codecs;
    return options;
}

QString frameCountOf(const ConverterChoices &choices)
{
    return choices.pictures ? choices.pictureCount : QString();
}

} // namespace pipeline
