// SPDX-License-Identifier: GPL-3.0-or-later
// What the user reads in each window at start: captions, list entries, tool tips, pictures, which
// controls are enabled, checked or default, the names a screen reader says, link and label styles,
// the length limits of the text boxes, and the order the controls are read in, row by row. Pixel
// positions and sizes are left out on purpose. The expected text is data/window_texts.txt;
// TROVEXA_WRITE_TEXTS=1 rewrites it instead.
#include "support/WindowFixture.h"

#include "app/ProgressWindow.h"
#include "app/SplashWindow.h"
#include "preview/AboutBox.h"

#include <QtTest>
#include <QtWidgets>

namespace {

QString describe(QWidget *w)
{
    QStringList parts {QString(w->metaObject()->className()) + ' ' + w->objectName()};
    auto add = [&](const QString &key, const QString &value) {
        if (!value.isEmpty())
            parts << QString("%1=\"%2\"").arg(key, QString(value).replace('\n', "\\n"));
    };
    // Properties shown only where the control has them.
    for (const QString &name : QString("text plainText title currentText toolTip readOnly wordWrap "
                                       "default accessibleName placeholderText styleSheet")
                                       .split(' ')) {
        const QVariant value = w->property(name.toLatin1());
        add(name,
            value.typeId() == QMetaType::Bool ? (value.toBool() ? "1" : "") : value.toString());
    }
    if (w->property("checkable").toBool())
        add("checked", QString::number(w->property("checked").toBool()));
    if (const int max = w->property("maxLength").toInt(); max > 0 && max < 32767)
        add("max", QString::number(max));
    if (auto *label = qobject_cast<QLabel *>(w); label && !label->pixmap().isNull())
        add("picture", QString("%1x%2").arg(label->pixmap().width()).arg(label->pixmap().height()));
    if (auto *slider = qobject_cast<QAbstractSlider *>(w))
        add("range",
            QString("%1-%2 at %3").arg(slider->minimum()).arg(slider->maximum()).arg(slider->value()));
    QStringList entries;
    if (auto *list = qobject_cast<QComboBox *>(w))
        for (int i = 0; i < list->count(); ++i)
            entries << list->itemText(i);
    if (auto *tabs = qobject_cast<QTabWidget *>(w))
        for (int i = 0; i < tabs->count(); ++i)
            entries << tabs->tabText(i);
    if (auto *menu = qobject_cast<QMenu *>(w)) {
        entries << menu->title();
        for (QAction *action : menu->actions())
            entries << action->text() + ' ' + action->shortcut().toString();
    }
    add("entries", entries.join('|'));
    add("disabled", w->isEnabled() ? "" : "1");
    add("hidden", w->isHidden() && !w->isWindow() ? "1" : "");
    return parts.join(' ');
}

bool isNamed(QWidget *w)
{
    return !w->objectName().isEmpty() && !w->objectName().startsWith("qt_")
            && !qobject_cast<QTabBar *>(w->parentWidget());
}

// The visible controls in the order a user reads them, a line per row (a
// control belongs to a row when its middle lies within the row's first
// control or the other way round), and every pair of controls drawn over each other.
QStringList readingOrder(QWidget *window)
{
    window->show();
    QApplication::processEvents();
    QList<QPair<QRect, QString>> controls;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        const QList<QWidget *> inside = w->findChildren<QWidget *>();
        const bool leaf = std::none_of(inside.cbegin(), inside.cend(), [](QWidget *child) {
            return child->isVisible() && isNamed(child);
        });
        if (isNamed(w) && w->isVisible() && leaf)
            controls.append({QRect(w->mapTo(window, QPoint()), w->size()), w->objectName()});
    }
    std::sort(controls.begin(), controls.end(), [](const auto &a, const auto &b) {
        return a.first.top() < b.first.top();
    });
    QStringList lines, overlaps;
    for (qsizetype i = 0; i < controls.size(); ++i)
        for (qsizetype j = i + 1; j < controls.size(); ++j)
            if (controls[i].first.intersects(controls[j].first))
                overlaps << "overlap: " + std::min(controls[i].second, controls[j].second) + ' '
                                + std::max(controls[i].second, controls[j].second);
    overlaps.sort();
    while (!controls.isEmpty()) {
        const QRect first = controls.first().first;
        QList<QPair<QRect, QString>> row;
        for (qsizetype i = 0; i < controls.size();) {
            const QRect c = controls[i].first;
            if (first.contains(first.left(), c.center().y())
                || c.contains(c.left(), first.center().y()))
                row.append(controls.takeAt(i));
            else
                ++i;
        }
        std::sort(row.begin(), row.end(), [](const auto &a, const auto &b) {
            return a.first.left() < b.first.left();
        });
        QStringList names;
        for (const auto &[rect, name] : row)
            names << name;
        lines << "row: " + names.join(' ');
    }
    return lines + overlaps;
}

} // namespace

class WindowTexts : public QObject
{
    Q_OBJECT
private slots:
    void windowsAtStart()
    {
        WindowFixture fixture;
        fixture.window().Form_Load();
        ProgressWindow progress;
        preview::AboutBox about(fixture.shell);
        SplashWindow splash;
        QStringList lines;
        for (QWidget *window : QWidgetList {&fixture.window(), &progress, &about, &splash}) {
            lines << "== " + window->objectName() + " \"" + window->windowTitle() + '"';
            for (QWidget *w : window->findChildren<QWidget *>())
                if (isNamed(w))
                    lines << describe(w);
        }
        for (int tab = 0; tab < fixture.ui().sstThis->count(); ++tab) {
            fixture.ui().sstThis->setCurrentIndex(tab);
            lines << readingOrder(&fixture.window());
        }
        for (QWidget *window : QWidgetList {&progress, &about})
            lines << "== " + window->objectName() << readingOrder(window);
        const QString file = TROVEXA_TEST_DATA "/window_texts.txt";
        if (qEnvironmentVariableIsSet("TROVEXA_WRITE_TEXTS"))
            testmedia::writeFile(file, lines.join('\n').toUtf8() + '\n');
        const QStringList expected = QString::fromUtf8(testmedia::readFile(file))
                                             .split('\n', Qt::SkipEmptyParts);
        for (qsizetype i = 0; i < std::max(lines.size(), expected.size()); ++i)
            QCOMPARE(lines.value(i), expected.value(i));
    }
};

QTEST_MAIN(WindowTexts)
#include "test_window_texts.moc"
