// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

namespace platform {

// Message box styles and answers, with the values the program has always used.
namespace MsgBoxStyle {
constexpr int Critical = 16; // critical icon, OK button
constexpr int YesNoCancelQuestion = 35; // question icon, Yes, No and Cancel buttons
constexpr int YesNoQuestion = 36; // question icon, Yes and No buttons
constexpr int Information = 64; // information icon, OK button
} // namespace MsgBoxStyle

namespace MsgBoxAnswer {
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Yes = 6;
constexpr int No = 7;
} // namespace MsgBoxAnswer

// Modal message boxes. Every report and question of the program goes through
// here, so tests can read exactly what was shown and answer questions.
class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    // Shows the prompt and blocks until it is dismissed; returns the button pressed.
    virtual int MsgBox(const QString &prompt, int style, const QString &title) = 0;
    // The same box with details the user can unfold (the output of a tool
    // that failed); without details it is the plain box.
    virtual int MsgBoxWithDetails(const QString &prompt,
                                  int style,
                                  const QString &title,
                                  const QString &details)
    {
        Q_UNUSED(details);
        return MsgBox(prompt, style, title);
    }
    // Asks for one line of text, starting from defaultText; nothing when
    // the user cancels.
    virtual std::optional<QString> InputBox(const QString &prompt,
                                            const QString &title,
                                            const QString &defaultText)
            = 0;
};

} // namespace platform
