#pragma once
// Outcome of an operation the user may have to hear about. A failure carries
// its complete message, in the window's language, ready to be shown as is.

#include <cassert>
#include <optional>
#include <string>
#include <utility>

namespace tovrel {

class Status {
  public:
    static Status ok() { return Status(); }
    static Status fail(std::string message, int reason = 0) {
        Status s;
        s.failed_ = true;
        s.message_ = std::move(message);
        s.reason_ = reason;
        return s;
    }
    bool isOk() const { return !failed_; }
    explicit operator bool() const { return !failed_; }
    const std::string& message() const { return message_; }
    // What kind of failure it is, where a front end offers a way out (0: none).
    int reason() const { return reason_; }

  private:
    bool failed_ = false;
    std::string message_;
    int reason_ = 0;
};

template <typename T> class Result {
  public:
    Result(T value) : value_(std::move(value)) {}
    Result(Status failure) : failure_(std::move(failure)) { assert(!failure_.isOk()); }

    bool isOk() const { return value_.has_value(); }
    explicit operator bool() const { return isOk(); }
    const T& value() const& {
        assert(value_.has_value());
        return *value_;
    }
    T& value() & {
        assert(value_.has_value());
        return *value_;
    }
    T&& value() && {
        assert(value_.has_value());
        return std::move(*value_);
    }
    const Status& status() const { return failure_; }
    const std::string& message() const { return failure_.message(); }

  private:
    std::optional<T> value_;
    Status failure_;
};

} // namespace tovrel
