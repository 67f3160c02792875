// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// A failure during start-up, with the classic run-time error number and
// description shown in the internal-error message.
struct StartupFailure
{
    int number = 0;
    QString description;

    static StartupFailure fileNotFound() { return {53, "File not found"}; }
    static StartupFailure typeMismatch() { return {13, "Type mismatch"}; }
    static StartupFailure overflow() { return {6, "Overflow"}; }
    static StartupFailure subscriptOutOfRange() { return {9, "Subscript out of range"}; }

    // "INTERNAL ERROR OCCURED - ERROR NUMBER: 53 - FILE NOT FOUND. PLEASE CONTACT SUPPORT."
    QString message() const
    {
        return "INTERNAL ERROR OCCURED - ERROR NUMBER: " + QString::number(number) + " - "
                + description.toUpper() + ". PLEASE CONTACT SUPPORT.";
    }
    bool operator==(const StartupFailure &) const = default;
};
