// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgressWindow.h"

#include "pipeline/Normalization.h"
#include "pipeline/TimeRemaining.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>

#include <algorithm>

namespace {

// Layout units: 15 twips make one pixel at 96 dots per inch.
constexpr int pixels(int twips)
{
    return twips / 15;
}

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(pixels(left), pixels(top), pixels(width), pixels(height));
}

// Tahoma 8.25 pt, or the nearest sans-serif installed. Tahoma is a narrow
// humanist face: DejaVu Sans Condensed comes closest, then the narrower
// Helvetica-like faces; the last resort is whatever sans-serif the system
// maps the name to.
QFont windowFont()
{
    const QStringList installed = QFontDatabase::families();
    QString family = QStringLiteral("Tahoma");
    for (const QString &candidate : {QStringLiteral("Tahoma"),
                                     QStringLiteral("DejaVu Sans Condensed"),
                                     QStringLiteral("Liberation Sans"),
                                     QStringLiteral("FreeSans")}) {
        if (installed.contains(candidate, Qt::CaseInsensitive)) {
            family = candidate;
            break;
        }
    }
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace

ProgressWindow::ProgressWindow(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(QStringLiteral("Processing intermediate...please wait"));
    setFont(windowFont());
    setFixedSize(pixels(5340), pixels(1575));

    auto *frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(twipsRect(120, 0, 5115, 1455));

    auto *lblCurrent = new QLabel(QStringLiteral("Estimated Time Remaining:"), frame);
    lblCurrent->setObjectName(QStringLiteral("lblCurrent"));
    lblCurrent->setGeometry(twipsRect(1200, 240, 1995, 255));
    // A substitute font may run a little wider than Tahoma: the caption may
    // then use the gap before lblRemaining rather than lose its last letters.
    const int captionWidth = lblCurrent->fontMetrics().horizontalAdvance(lblCurrent->text());
    if (captionWidth > lblCurrent->width())
        lblCurrent->resize(std::min(captionWidth, pixels(3300 - 1200)), lblCurrent->height());

    m_lblRemaining = new QLabel(QStringLiteral("88:88:88"), frame);
    m_lblRemaining->setObjectName(QStringLiteral("lblRemaining"));
    m_lblRemaining->setGeometry(twipsRect(3300, 240, 735, 255));

    m_picStatus = new PercentBar(frame);
    m_picStatus->setObjectName(QStringLiteral("picStatus"));
    m_picStatus->setGeometry(twipsRect(120, 480, 4875, 315));

    m_cmdCancel = new QPushButton(QStringLiteral("&Cancel"), frame);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cmdCancel->setGeometry(twipsRect(3480, 900, 1530, 435));
    m_cmdCancel->setAutoDefault(false);
    connect(m_cmdCancel, &QPushButton::clicked, this, &ProgressWindow::requestCancel);

    // Drawn without yielding: nothing is on the screen yet.
    DrawPercentBar(m_picStatus->image(), m_picStatus->font(), 0.0f);
}

void ProgressWindow::open(std::function<void()> cancelRequested)
{
    m_cancelRequested = std::move(cancelRequested);
    if (m_closed)
        return;
    setWindowModality(Qt::ApplicationModal);
    show();
}

void ProgressWindow::ShowProgress(double position, double length)
{
    if (m_closed || !(position < length))
        return;
    const float percent = static_cast<float>(position / length * 100.0);
    DrawPercentBar(*m_picStatus, percent);
    // Drawing lets pending events run; they may have closed the window.
    if (m_closed)
        return;
    m_lblRemaining->setText(pipeline::FormatTimeRemaining(length - position));
}

void ProgressWindow::closeWindow()
{
    m_closed = true;
    QDialog::hide();
}

void ProgressWindow::reject()
{
    requestCancel();
}

void ProgressWindow::closeEvent(QCloseEvent *event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    event->ignore();
    requestCancel();
}

void ProgressWindow::requestCancel()
{
    if (m_closed || m_cancelling || !m_cancelRequested)
        return;
    const QScopedValueRollback<bool> asking(m_cancelling, true);
    m_cancelRequested();
}

pipeline::ProgressViewFactory progressWindowFactory(QWidget *parent)
{
    return [parent] {
        return std::make_unique<ProgressWindow>(parent);
    };
}
