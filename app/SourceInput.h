#pragma once

#include <QStringList>

struct MainWindowUi;

namespace platform {
class CommonDialog;
class MessageBoxes;
} // namespace platform

// The source file of the Converter tab. Input File, the command line and
// files dropped on the window all set it here.
class SourceInput
{
public:
    SourceInput(MainWindowUi &ui,
                platform::MessageBoxes &messageBoxes,
                platform::CommonDialog &dialog);

    // Makes path the source: its label, the output name proposed from it,
    // and the file the next Input File dialog starts from.
    void take(const QString &path);

    // Paths handed over from outside the Input File dialog: exactly one
    // existing file of a type the dialog offers becomes the source; anything
    // else gets an "Error" box and changes nothing. True when taken.
    bool offer(const QStringList &paths);

private:
    MainWindowUi &m_ui;
    platform::MessageBoxes &m_messageBoxes;
    platform::CommonDialog &m_dialog;
};
