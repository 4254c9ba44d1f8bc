#pragma once

#include "images/model/ImageResponse.h"
#include "images/model/LoadedData.h"
#include "images/pipeline/ImagePipelineError.h"

#include <variant>

namespace parley {

// What a load ends with: its value, or the error that ended it.
template <typename Value>
class LoadResult {
public:
    LoadResult(Value value) : result_(std::move(value)) { }
    LoadResult(ImagePipelineError error) : result_(std::move(error)) { }

    bool isSuccess() const { return std::holds_alternative<Value>(result_); }
    // Null on failure.
    const Value* value() const { return std::get_if<Value>(&result_); }
    // Null on success.
    const ImagePipelineError* error() const { return std::get_if<ImagePipelineError>(&result_); }

private:
    std::variant<Value, ImagePipelineError> result_;
};

using ImageResult = LoadResult<ImageResponse>;
using DataResult = LoadResult<LoadedData>;

} // namespace parley
