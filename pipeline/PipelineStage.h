// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace pipeline {

// The stages of a conversion, in the order a job runs them: the
// normalization where the source needs one, then the external tools.
enum class PipelineStage { Normalize, Encode, Metadata, Images };

struct StageMessages
{
    QString success;
    QString failure;
};

StageMessages stageMessages(PipelineStage stage);

} // namespace pipeline
