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

    static QPixmap picture();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLabel *m_imgSplash;
    QTimer *m_tmrSplash;
};
