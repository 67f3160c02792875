// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLabel;
class QTimer;

// frmSplash: the program's picture, shown once at start-up and closed by its
// own timer.
class SplashWindow : public QDialog
{
public:
    explicit SplashWindow(int milliseconds = 2000, QWidget *parent = nullptr);

    // Shows the picture until the timer closes it. The timer starts only
    // when the window is up and the loop that waits for it is about to run,
    // so however early it fires, the close reaches that loop.
    int exec() override;

private:
    QLabel *m_imgSplash;
    QTimer *m_tmrSplash;
};
