#pragma once

#include <QStringList>

struct MainWindowUi;

namespace platform {
class MessageBoxes;
}

// The source file of the Converter tab. Input File, the command line and
// files dropped on the window all set it here.
class SourceInput
{
public:
    SourceInput(MainWindowUi &ui, platform::MessageBoxes &messageBoxes);

    // Makes path the source: its label, and the output name proposed from it.
    void take(const QString &path);

    // Paths handed over from outside the Input File dialog: exactly one
    // existing file of a type the dialog offers becomes the source; anything
    // else gets an "Error" box and changes nothing. True when taken.
    bool offer(const QStringList &paths);

private:
    MainWindowUi &m_ui;
    platform::MessageBoxes &m_messageBoxes;
};
