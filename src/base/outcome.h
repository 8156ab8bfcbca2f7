#pragma once
// The value every platform operation returns: a result, or a failure that
// carries the environment's own words (Outlook's, the system's, the file
// system's) to wherever it is reported. No exception crosses a platform
// boundary.

#include <cassert>
#include <string>
#include <utility>
#include <variant>

namespace quorvane {

struct Failure {
    std::string description;
    // The program on the other end went away while it was asked (it crashed
    // or was ended): nothing more can be asked of it through what was
    // reached, though reaching it afresh may work.
    bool connectionLost = false;
    // What was asked for does not exist (an item deleted meanwhile).
    bool notFound = false;
    // The user answered No to Outlook's prompt about a program reading
    // address information: asking again would only raise the prompt again.
    bool refused = false;
};

template <typename T> class [[nodiscard]] Outcome {
public:
    Outcome(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Outcome(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}

    bool succeeded() const { return state_.index() == 0; }
    explicit operator bool() const { return succeeded(); }

    T& value() {
        assert(succeeded() && "value() of a failed Outcome");
        return std::get<0>(state_);
    }
    const T& value() const {
        assert(succeeded() && "value() of a failed Outcome");
        return std::get<0>(state_);
    }
    T& operator*() { return value(); }
    T* operator->() { return &value(); }

    const Failure& failure() const {
        assert(!succeeded() && "failure() of a successful Outcome");
        return std::get<1>(state_);
    }

private:
    std::variant<T, Failure> state_;
};

template <> class [[nodiscard]] Outcome<void> {
public:
    Outcome() = default;
    Outcome(Failure failure) : failure_(std::move(failure)), failed_(true) {}

    bool succeeded() const { return !failed_; }
    explicit operator bool() const { return succeeded(); }

    const Failure& failure() const {
        assert(failed_ && "failure() of a successful Outcome");
        return failure_;
    }

private:
    Failure failure_;
    bool failed_ = false;
};

inline Outcome<void> Success() {
    return {};
}

} // namespace quorvane
