#pragma once

#include "images/model/LoadedData.h"
#include "images/pipeline/internal/PipelineStage.h"

namespace parley {

// The original bytes of an image that a DataPublisher delivers instead of
// the network; runs through the data-loading queue like a download.
class FetchPublishedDataStage final : public PipelineStage<LoadedData> {
public:
    using PipelineStage::PipelineStage;

private:
    void start() override;
    void load(const AsyncOperation::Finish& finish);
    void didFinish(const std::exception_ptr& error);

    QByteArray data_;
};

} // namespace parley
