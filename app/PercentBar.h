// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>

// picStatus: the percentage bar. Everything drawn goes into an image that
// survives repainting; a repaint copies it to the screen.
class PercentBar : public QWidget
{
    Q_OBJECT
public:
    explicit PercentBar(QWidget *parent = nullptr);

    // The drawing, always the widget's size.
    QImage &image();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
};

// Bar colours: navy text and fill on white.
inline constexpr QRgb PercentBarForeground = 0xff000080;
inline constexpr QRgb PercentBarBackground = 0xffffffff;

// An image for the bar at 96 dots per inch.
QImage makePercentBarImage(QSize size);

// The text in the middle of the bar: the percentage rounded to a whole
// number, followed by "%".
QString percentBarText(float percent);

// Redraws the whole bar in image: erased to white, the percentage text
// centred over a white rectangle in navy, then the left percent of the bar
// filled in not-xor mode, which turns white navy and navy white.
void DrawPercentBar(QImage &image, const QFont &font, float percent);

// Redraws picStatus, shows it at once and lets pending events run.
void DrawPercentBar(PercentBar &picStatus, float percent);
