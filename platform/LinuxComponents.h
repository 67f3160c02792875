// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "checks/ComponentPlatform.h"

namespace platform {

// Component versions on Linux. The program's media services come from
// FFmpeg and Qt here, so the platform answers the way a compatibility layer
// does: the DirectX level it implements, the real libavcodec version as the
// media runtime's version, and no QuickTime checker.
class LinuxComponents : public checks::ComponentPlatform
{
public:
    std::optional<QString> directXVersionValue() override;
    QString GetSystemFolder() override;
    QString mediaRuntimeLibrary() override;
    checks::FixedFileInfo GetFileVersionFixedInfo(const QString &path) override;
    std::unique_ptr<checks::QuickTimeChecker> createQuickTimeChecker() override;
};

} // namespace platform
