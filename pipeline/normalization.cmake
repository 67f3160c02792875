# SPDX-License-Identifier: GPL-3.0-or-later
# Source normalization logic and time formatting.
target_sources(trovexa_pipeline PRIVATE
    TimeRemaining.h TimeRemaining.cpp
    ProgressView.h
    Normalization.h Normalization.cpp
)
