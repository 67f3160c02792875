// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ChildCpuTime.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <unistd.h>

namespace bench {

// Wall-clock and processor seconds (of the children) of some work.
struct Cost
{
    double wall = 0;
    double cpu = 0;
    Cost operator+(const Cost &other) const { return {wall + other.wall, cpu + other.cpu}; }
};

template<typename Work>
Cost measure(Work work)
{
    const double cpu = childCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    work();
    return {timer.nsecsElapsed() / 1e9, childCpuSeconds() - cpu};
}

[[noreturn]] inline void fail(const QString &what)
{
    std::fprintf(stderr, "%s\n", qPrintable(what));
    std::exit(1);
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The application folder of this build, beside the benchmarks' folder.
inline QString applicationFolder()
{
    return QDir(QCoreApplication::applicationDirPath() + "/../app").absolutePath();
}

// This process's resident memory in bytes.
inline double residentBytes()
{
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.read(256).split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(::sysconf(_SC_PAGESIZE)) : 0;
}

} // namespace bench
