// SPDX-License-Identifier: GPL-3.0-or-later
#include "AboutText.h"

#ifndef TROVEXA_VERSION
#error "TROVEXA_VERSION must be defined by the build"
#endif

namespace preview::AboutText {

QString versionText()
{
    return QStringLiteral("Version " TROVEXA_VERSION);
}

QString attributionNotice()
{
    return QStringLiteral(
            "<p>Trovexa FLV Converter is free software: you may redistribute it and change it "
            "under the terms of the GNU General Public License (GPL) version&nbsp;3 or, at "
            "your choice, any later version. It comes WITHOUT ANY WARRANTY. Its licence is in "
            "/usr/share/common-licenses/GPL-3 and at "
            "<a href=\"https://www.gnu.org/licenses/gpl-3.0.html\">gnu.org</a>.</p>"
            "<p>This program runs on the following free software, each used under its own "
            "licence. The libraries are linked dynamically and the tools run as separate "
            "programs; you may replace them with other versions. Their source code is "
            "available from their projects and from Debian (<i>apt-get source</i>).</p>"
            "<p><b>FFmpeg</b> (libavcodec, libavformat, libavutil and the <i>ffmpeg</i> "
            "tool) &copy; the FFmpeg developers. FFmpeg is licensed under the GNU Lesser "
            "General Public License (LGPL) version&nbsp;2.1 or later; the Debian build used "
            "here enables GPL parts, so it is distributed under the GNU General Public "
            "License (GPL) version&nbsp;2 or later. <a href=\"https://ffmpeg.org/\">"
            "ffmpeg.org</a></p>"
            "<p><b>flvmeta</b> &copy; 2007&ndash;2013 Marc Noirot, the metadata injector "
            "behind FLVMDI; licensed under the GNU GPL version&nbsp;2 or later.</p>"
            "<p><b>Qt</b> &copy; The Qt Company Ltd. and other contributors; used under the "
            "GNU LGPL version&nbsp;3. <a href=\"https://www.qt.io/\">qt.io</a></p>"
            "<p><b>GStreamer</b> and its plug-ins &copy; the GStreamer developers; licensed "
            "under the GNU LGPL version&nbsp;2.1 or later. "
            "<a href=\"https://gstreamer.freedesktop.org/\">gstreamer.freedesktop.org</a></p>"
            "<p>These components come WITHOUT ANY WARRANTY; see the GNU licences at "
            "<a href=\"https://www.gnu.org/licenses/\">gnu.org/licenses</a> and the "
            "copyright files in /usr/share/doc.</p>"
            "<p>FFmpeg is a trademark of Fabrice Bellard, originator of the FFmpeg project. "
            "Qt is a registered trademark of The Qt Company Ltd. and its subsidiaries. "
            "All other trademarks are the property of their respective owners.</p>");
}

} // namespace preview::AboutText
