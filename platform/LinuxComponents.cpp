// SPDX-License-Identifier: GPL-3.0-or-later
#include "LinuxComponents.h"

#include <QFileInfo>

#include <dlfcn.h>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace platform {

namespace {

// The DirectX level this layer provides.
const char *const DirectXLevel = "4.09.00.0904";

constexpr quint32 VersionSignature = 0xFEEF04BD;
constexpr quint32 VersionStructure = 0x00010000;

// The file the running program loaded libavcodec from.
QFileInfo loadedCodecLibrary()
{
    Dl_info info {};
    if (::dladdr(reinterpret_cast<void *>(&avcodec_version), &info) == 0 || !info.dli_fname)
        return {};
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname));
}

} // namespace

std::optional<QString> LinuxComponents::directXVersionValue()
{
    return QString::fromLatin1(DirectXLevel);
}

QString LinuxComponents::GetSystemFolder()
{
    return loadedCodecLibrary().absolutePath().trimmed();
}

QString LinuxComponents::mediaRuntimeLibrary()
{
    return loadedCodecLibrary().fileName();
}

checks::FixedFileInfo LinuxComponents::GetFileVersionFixedInfo(const QString &path)
{
    checks::FixedFileInfo block;
    const QString loaded = loadedCodecLibrary().canonicalFilePath();
    if (loaded.isEmpty() || QFileInfo(path).canonicalFilePath() != loaded)
        return block;
    // major.minor.micro.0 of the library actually in use.
    const unsigned version = avcodec_version();
    const quint32 major = AV_VERSION_MAJOR(version);
    const quint32 minor = AV_VERSION_MINOR(version);
    const quint32 micro = AV_VERSION_MICRO(version);
    block.words[0] = VersionSignature;
    block.words[1] = VersionStructure;
    block.words[2] = block.words[4] = (major << 16) | minor;
    block.words[3] = block.words[5] = micro << 16;
    return block;
}

std::unique_ptr<checks::QuickTimeChecker> LinuxComponents::createQuickTimeChecker()
{
    return nullptr;
}

} // namespace platform
