// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace media {

// A picture's width and height in pixels.
struct FrameSize
{
    int width = 0;
    int height = 0;

    bool operator==(const FrameSize &) const = default;
};

// The largest frame size the window offers for the output.
inline constexpr FrameSize LargestOutputFrame {768, 576};

// The size a picture stored at stored shows on screen once turned clockwise
// by turn degrees (as the decoder turns it): a quarter turn either way swaps
// width and height; any other angle keeps the stored size.
FrameSize displayedSize(FrameSize stored, double turn);

// The intermediate file's frame size for a source shown at source: the
// source's size when it fits within LargestOutputFrame, else scaled down to
// fit with its aspect ratio kept; both dimensions even (at least 2). The
// encoder scales to the output size anyway, so nothing visible is lost.
// 0x0 when the source has no size.
FrameSize intermediateFrameSize(FrameSize source);

} // namespace media
