#pragma once

#include "images/model/LoadedData.h"
#include "images/pipeline/internal/PipelineStage.h"

namespace parley {

// A data-only load: the data cache, else the original bytes.
class LoadDataStage final : public PipelineStage<LoadedData> {
public:
    using PipelineStage::PipelineStage;

private:
    void start() override;
    void loadData();
};

} // namespace parley
