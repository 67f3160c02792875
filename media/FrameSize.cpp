// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameSize.h"

#include <algorithm>
#include <cmath>

namespace media {

namespace {

// Nearest even number from 2 to limit.
int evenWithin(double value, int limit)
{
    const int even = 2 * int(std::lround(value / 2));
    return std::clamp(even, 2, limit - limit % 2);
}

} // namespace

FrameSize displayedSize(FrameSize stored, double turn)
{
    const double quarter = std::remainder(turn, 180.0);
    if (std::abs(std::abs(quarter) - 90.0) < 1.0)
        return {stored.height, stored.width};
    return stored;
}

FrameSize intermediateFrameSize(FrameSize source)
{
    if (source.width <= 0 || source.height <= 0)
        return {};
    const FrameSize bound = LargestOutputFrame;
    const double scale = std::min(
            {1.0, double(bound.width) / source.width, double(bound.height) / source.height});
    return {evenWithin(source.width * scale, bound.width),
            evenWithin(source.height * scale, bound.height)};
}

} // namespace media
