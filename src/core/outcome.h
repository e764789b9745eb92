#pragma once

#include <string>
#include <utility>
#include <variant>

namespace fee {

// A failure in words the user can read (UTF-8, Japanese).
struct Error {
    std::string message;
};

// The core reports failures as values: nothing is thrown through the event loop.
template <typename T, typename E = Error> class [[nodiscard]] Outcome {
public:
    Outcome(T value) : v_(std::in_place_index<0>, std::move(value)) {}
    Outcome(E error) : v_(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(v_); }
    const T& value() const& { return std::get<0>(v_); }
    T&& value() && { return std::get<0>(std::move(v_)); }
    const E& error() const { return std::get<1>(v_); }

    const T* operator->() const { return &value(); }
    const T& operator*() const { return value(); }

private:
    std::variant<T, E> v_;
};

// For steps that produce nothing but may fail.
struct Done {};

template <typename E = Error> using Status = Outcome<Done, E>;

inline Done done()
{
    return {};
}

} // namespace fee
