// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "preview/FlvPlayer.h"
#include "preview/PreviewHost.h"

#include "doubles/Doubles.h"
#include "platform/CommonDialog.h"

#include <QPushButton>
#include <QTest>
#include <QWidget>

// The FLV Player tab as the main window hosts it, with doubles for the file
// dialog and the shell.
struct PlayerTab
{
    platform::ScriptedDialogs dialogs;
    platform::RecordingShell shell;
    platform::CommonDialog commonDialog {dialogs};
    QWidget window;
    QWidget *swfControl = new QWidget(&window);
    preview::PreviewHost host {swfControl, commonDialog, shell, "/opt/trovexa", &window};

    preview::FlvPlayer *player() const { return host.swfControl(); }
    QMediaPlayer *media() const { return player()->mediaPlayer(); }

    // The user presses Open and picks path in the dialog.
    void open(const QString &path)
    {
        dialogs.fileAnswers = {path};
        QTest::mouseClick(player()->findChild<QPushButton *>("cmdOpen"), Qt::LeftButton);
    }
};
