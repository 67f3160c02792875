// SPDX-License-Identifier: GPL-3.0-or-later
#include "Messages.h"

#include <cstdio>

namespace tools {

void reportError(const char *program, const QString &message)
{
    QString line = message;
    line.replace(u'\n', u' ').replace(u'\r', u' ');
    std::fprintf(stderr, "%s: %s\n", program, line.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace tools
