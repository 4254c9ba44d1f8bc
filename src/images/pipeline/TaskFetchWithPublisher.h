#pragma once

#include "images/pipeline/ImagePipelineTask.h"
#include "images/model/LoadedData.h"

namespace parley {

// The original bytes of an image that a DataPublisher delivers instead of
// the network; runs through the data-loading queue like a download.
class TaskFetchWithPublisher final : public ImagePipelineTask<LoadedData> {
public:
    using ImagePipelineTask::ImagePipelineTask;

private:
    void start() override;
    void load(const Operation::Finish& finish);
    void didFinish(const std::exception_ptr& error);

    QByteArray data_;
};

} // namespace parley
