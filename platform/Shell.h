// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace platform {

// Opens web addresses and documents with the user's default programs.
class Shell
{
public:
    virtual ~Shell() = default;
    // A web address ("https://...") or a local file path.
    virtual void open(const QString &target) = 0;
};

class DesktopShell : public Shell
{
public:
    void open(const QString &target) override;
};

} // namespace platform
