// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace tools {

struct Rgb
{
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb &) const = default;
};

// Looks a colour name up in a colour table in the X11 rgb.txt format
// ("255 250 250\t\tsnow" per line, "!" starts a comment). Names compare
// without regard to letter case; the first matching line wins.
std::optional<Rgb> lookUpColour(const QByteArray &table, const QString &name);

} // namespace tools
