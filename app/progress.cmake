# SPDX-License-Identifier: GPL-3.0-or-later
# The progress window frmProgress.
target_sources(trovexa_app PRIVATE
    PercentBar.h PercentBar.cpp
    ProgressWindow.h ProgressWindow.cpp
)

# The main window owns the video-editing component (VideoEdit1).
target_link_libraries(trovexa_app PUBLIC trovexa_media)
