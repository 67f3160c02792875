// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "VersionFormat.h"

#include <QString>

#include <memory>
#include <optional>

namespace checks {

// The QuickTime checker object; created for one check.
class QuickTimeChecker
{
public:
    virtual ~QuickTimeChecker() = default;
    // nullopt when the call fails.
    virtual std::optional<bool> IsQuickTimeAvailable(int flags) = 0;
    virtual std::optional<qint32> QuickTimeVersion() = 0;
};

// Where the program reads the versions of the system's media components.
class ComponentPlatform
{
public:
    virtual ~ComponentPlatform() = default;
    // The stored DirectX version value ("4.09.00.0904"); nullopt when unreadable.
    virtual std::optional<QString> directXVersionValue() = 0;
    // The folder that holds the media runtime library.
    virtual QString GetSystemFolder() = 0;
    // The file name of the media runtime library in that folder.
    virtual QString mediaRuntimeLibrary() = 0;
    virtual FixedFileInfo GetFileVersionFixedInfo(const QString &path) = 0;
    // nullptr when there is no checker.
    virtual std::unique_ptr<QuickTimeChecker> createQuickTimeChecker() = 0;
};

struct CheckReport
{
    QString prompt;
    int style = 64;
    QString title = "Message";
    bool operator==(const CheckReport &) const = default;
};

QString GetDirectXVersion(ComponentPlatform &platform);

// What each item of the Check menu shows.
CheckReport directXReport(ComponentPlatform &platform);
// The path of the runtime library and the report of its version.
CheckReport mediaRuntimeReport(ComponentPlatform &platform,
                               QChar separator,
                               QString *libraryPath = nullptr);
CheckReport quickTimeReport(ComponentPlatform &platform);

} // namespace checks
