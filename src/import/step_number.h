#pragma once
// A step of an import run, by the number its error report shows. A type of
// its own so that a step cannot be mixed up with a count, an index or a row;
// where a record has no step, it holds none (std::optional), never a 0.

namespace quorvane {

enum class StepNumber : int {};

constexpr int NumberOf(StepNumber step) {
    return static_cast<int>(step);
}

} // namespace quorvane
