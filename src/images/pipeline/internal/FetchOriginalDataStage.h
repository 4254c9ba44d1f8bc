#pragma once

#include "images/loading/ResumableData.h"
#include "images/model/LoadedData.h"
#include "images/pipeline/internal/PipelineStage.h"

namespace parley {

// Downloads the original bytes of an image, once per distinct download:
// through the rate limiter and the data-loading queue, resuming a stored
// partial download when it can, reporting progress and partial data.
class FetchOriginalDataStage final : public PipelineStage<LoadedData> {
public:
    using PipelineStage::PipelineStage;

private:
    void start() override;
    void enqueueLoad();
    struct Download;

    void load(const AsyncOperation::Finish& finish);
    void startLoading();
    void didReceiveData(const QByteArray& chunk, const URLResponse& response);
    void didFinishLoading(const std::exception_ptr& error);
    bool isStoringInDataCache() const;
    void storeInDataCache();

    AsyncOperation::Finish finish_;
    std::shared_ptr<Download> download_;
    std::shared_ptr<Cancellable> loading_;
};

} // namespace parley
