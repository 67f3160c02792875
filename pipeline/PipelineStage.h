#pragma once

#include <QString>

namespace pipeline {

// The external stages of a conversion, in the order a job runs them.
enum class PipelineStage { Encode, Metadata, Images };

struct StageMessages
{
    QString success;
    QString failure;
};

StageMessages stageMessages(PipelineStage stage);

} // namespace pipeline
