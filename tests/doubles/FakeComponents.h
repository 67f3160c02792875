#pragma once

#include "checks/ComponentPlatform.h"

namespace platform {

// Test double: component versions as the test sets them.
class FakeComponents : public checks::ComponentPlatform
{
public:
    struct Checker : checks::QuickTimeChecker
    {
        std::optional<bool> available;
        std::optional<qint32> version;
        std::optional<bool> IsQuickTimeAvailable(int) override { return available; }
        std::optional<qint32> QuickTimeVersion() override { return version; }
    };

    std::optional<QString> directX = QString("4.09.00.0904");
    QString systemFolder = "C:\\WINDOWS\\system32";
    QString runtimeLibrary = "WMVCORE.DLL";
    checks::FixedFileInfo block;
    QString askedPath;
    bool hasChecker = false;
    Checker checker;

    std::optional<QString> directXVersionValue() override { return directX; }
    QString GetSystemFolder() override { return systemFolder; }
    QString mediaRuntimeLibrary() override { return runtimeLibrary; }
    checks::FixedFileInfo GetFileVersionFixedInfo(const QString &path) override
    {
        askedPath = path;
        return block;
    }
    std::unique_ptr<checks::QuickTimeChecker> createQuickTimeChecker() override
    {
        if (!hasChecker)
            return nullptr;
        return std::make_unique<Checker>(checker);
    }
};

} // namespace platform
