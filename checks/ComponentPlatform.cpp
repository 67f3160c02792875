// SPDX-License-Identifier: GPL-3.0-or-later
#include "ComponentPlatform.h"

namespace checks {

QString GetDirectXVersion(ComponentPlatform &platform)
{
    return directXVersionText(platform.directXVersionValue());
}

CheckReport directXReport(ComponentPlatform &platform)
{
    return {"DirectX: " + GetDirectXVersion(platform)};
}

CheckReport mediaRuntimeReport(ComponentPlatform &platform, QChar separator, QString *libraryPath)
{
    const QString path = platform.GetSystemFolder() + separator + platform.mediaRuntimeLibrary();
    if (libraryPath)
        *libraryPath = path;
    return {"Version: " + fileVersionText(platform.GetFileVersionFixedInfo(path))};
}

CheckReport quickTimeReport(ComponentPlatform &platform)
{
    const std::unique_ptr<QuickTimeChecker> checker = platform.createQuickTimeChecker();
    const bool available = checker && checker->IsQuickTimeAvailable(0).value_or(false);
    if (!available)
        return {"QUICKTIME IS NOT INSTALLED!", 16, "Error"};
    const std::optional<qint32> number = checker->QuickTimeVersion();
    const QString hex = number ? QString::number(quint32(*number), 16).toUpper() : QString();
    return {"QuickTime: " + formatQuickTimeHex(hex)};
}

} // namespace checks
