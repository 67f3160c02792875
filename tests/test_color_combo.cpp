#include "platform/ColorCombo.h"

#include <QtTest>

using platform::ColorCombo;

class ColorComboTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void entriesKeepTheirOrderAndNames()
    {
        ColorCombo combo;
        combo.addColor(0xFFFFFF, "white");
        combo.addColor(0x000000, "Black");
        combo.addColor(128 * 65536, "NavyBlue");
        QCOMPARE(combo.count(), 3);
        QVERIFY(combo.setSelectedPosition(2));
        QCOMPARE(combo.selectedPosition(), qint16(2));
        QCOMPARE(combo.selectedName(), QString("NavyBlue"));
        QVERIFY(combo.setSelectedPosition(1));
        QCOMPARE(combo.selectedName(), QString("Black"));
    }

    void positionOutsideTheListSelectsNothing()
    {
        ColorCombo combo;
        combo.addColor(0xFF, "red");
        combo.addColor(0xFF00, "green");
        QVERIFY(combo.setSelectedPosition(1));
        QVERIFY(!combo.setSelectedPosition(2));
        QCOMPARE(combo.selectedPosition(), qint16(-1));
        QCOMPARE(combo.selectedName(), QString());
        QVERIFY(!combo.setSelectedPosition(-1));
        QVERIFY(!combo.setSelectedPosition(32767));
        QCOMPARE(combo.selectedPosition(), qint16(-1));
    }

    void emptyListSelectsNothing()
    {
        ColorCombo combo;
        QCOMPARE(combo.selectedPosition(), qint16(-1));
        QVERIFY(!combo.setSelectedPosition(0));
        QCOMPARE(combo.selectedName(), QString());
    }

    // Value = red + 256 * green + 65536 * blue.
    void swatchShowsTheEntryColour()
    {
        ColorCombo combo;
        combo.addColor(255 + 256 * 128, "orange");
        combo.addColor(65536 * 200 + 10, "blueish");
        const QImage orange = combo.itemIcon(0).pixmap(combo.iconSize()).toImage();
        const QImage blueish = combo.itemIcon(1).pixmap(combo.iconSize()).toImage();
        const QPoint centre(combo.iconSize().width() / 2, combo.iconSize().height() / 2);
        QCOMPARE(orange.pixelColor(centre), QColor(255, 128, 0));
        QCOMPARE(blueish.pixelColor(centre), QColor(10, 0, 200));
        QCOMPARE(combo.colorValue(1), quint32(65536 * 200 + 10));
    }

    void userCannotTypeAnEntry() { QVERIFY(!ColorCombo().isEditable()); }
};

QTEST_MAIN(ColorComboTest)
#include "test_color_combo.moc"
