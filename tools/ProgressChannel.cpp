// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgressChannel.h"

#include <fcntl.h>

namespace tools {

QStringList progressArguments()
{
    bool ok = false;
    const int descriptor = qEnvironmentVariableIntValue(ProgressVariable, &ok);
    if (!ok || descriptor < 1 || ::fcntl(descriptor, F_GETFD) == -1)
        return {};
    return {"-progress", QString("pipe:%1").arg(descriptor), "-stats_period", "0.5"};
}

} // namespace tools
