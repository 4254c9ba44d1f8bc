#pragma once

#include "images/pipeline/ImagePipelineTask.h"
#include "images/model/LoadedData.h"

namespace parley {

// A data-only load: the data cache, else the original bytes.
class TaskLoadData final : public ImagePipelineTask<LoadedData> {
public:
    using ImagePipelineTask::ImagePipelineTask;

private:
    void start() override;
    void loadData();
};

} // namespace parley
