// SPDX-License-Identifier: GPL-3.0-or-later
#include "PipelineStage.h"

namespace pipeline {

StageMessages stageMessages(PipelineStage stage)
{
    switch (stage) {
    case PipelineStage::Normalize:
        return {};
    case PipelineStage::Encode:
        return {"ENCODING SUCCESSFUL!",
                "ENCODING FAILED! POSSIBLE REASON IS A DAMAGED/IMPROPER/CORRUPTED/UNSUPPORTED "
                "SOURCE VIDEO FILE."};
    case PipelineStage::Metadata:
        return {"FLV METADATA INJECTION SUCCESSFUL AND IS READY TO USE!",
                "FLV METADATA INJECTION FAILED!"};
    case PipelineStage::Images:
        return {"IMAGE(S) GENERATED!", "IMAGE GENERATION FAILED!"};
    }
    return {};
}

} // namespace pipeline
