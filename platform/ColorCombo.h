// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>

namespace platform {

// Drop-down list of named colours, each entry shown with a swatch. Colour
// values are red + 256 * green + 65536 * blue, each component 0 to 255.
class ColorCombo : public QComboBox
{
    Q_OBJECT
public:
    explicit ColorCombo(QWidget *parent = nullptr);

    // Appends an entry at the end of the list.
    void addColor(quint32 value, const QString &name);

    // Position of the selected entry counted from 0, or -1 when none is selected.
    qint16 selectedPosition() const;
    // Selects the entry at that position. A position outside the list selects
    // nothing and returns false.
    bool setSelectedPosition(qint16 position);
    // Name of the selected entry exactly as it was added; empty when none.
    QString selectedName() const;

    static QColor toColor(quint32 value);
};

} // namespace platform
