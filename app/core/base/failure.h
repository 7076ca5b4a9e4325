// One way for a step to fail: it returns a Result, which holds either what the step made or
// the Failure that says why not. Shaped like std::expected, so that it can become one when
// the project moves to C++23: make a Result from a value or from failure(...)/Unexpected,
// test it as a bool, then read value() or error().
#ifndef TUNEDECK_CORE_BASE_FAILURE_H
#define TUNEDECK_CORE_BASE_FAILURE_H

#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace tunedeck {

// Why a step failed, in words for the user: the system's own words where it gave them.
// A step whose callers act on the kind of failure derives its own, adding the kind.
struct Failure {
    std::string reason;
};

// A failure on its way into a Result, as std::unexpected.
template <class E>
class Unexpected {
public:
    explicit Unexpected(E error) : error_(std::move(error)) {}
    const E &error() const & { return error_; }
    E &&error() && { return std::move(error_); }

private:
    E error_;
};

template <class E>
Unexpected(E) -> Unexpected<E>;

inline Unexpected<Failure> failure(std::string reason)
{
    return Unexpected(Failure{std::move(reason)});
}

namespace detail {
[[noreturn]] inline void throwNoValue()
{
    throw std::logic_error("a failed step's value was read");
}
[[noreturn]] inline void throwNoFailure()
{
    throw std::logic_error("a successful step's failure was read");
}
} // namespace detail

template <class T = void, class E = Failure>
class [[nodiscard]] Result {
public:
    using value_type = T;
    using error_type = E;

    Result() requires std::is_default_constructible_v<T> : state_(std::in_place_index<0>) {}
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    template <class G>
    Result(Unexpected<G> failed) : state_(std::in_place_index<1>, std::move(failed).error())
    {
    }

    bool has_value() const { return state_.index() == 0; }
    explicit operator bool() const { return has_value(); }

    const T &value() const &
    {
        if (!has_value())
            detail::throwNoValue();
        return *std::get_if<0>(&state_);
    }
    T &value() &
    {
        if (!has_value())
            detail::throwNoValue();
        return *std::get_if<0>(&state_);
    }
    T &&value() && { return std::move(value()); }
    const T &operator*() const & { return *std::get_if<0>(&state_); }
    T &operator*() & { return *std::get_if<0>(&state_); }
    const T *operator->() const { return std::get_if<0>(&state_); }
    T *operator->() { return std::get_if<0>(&state_); }

    const E &error() const &
    {
        if (has_value())
            detail::throwNoFailure();
        return *std::get_if<1>(&state_);
    }

private:
    std::variant<T, E> state_;
};

// A step that makes nothing: success, or why not.
template <class E>
class [[nodiscard]] Result<void, E> {
public:
    using value_type = void;
    using error_type = E;

    Result() = default;
    template <class G>
    Result(Unexpected<G> failed) : error_(std::move(failed).error())
    {
    }

    bool has_value() const { return !error_; }
    explicit operator bool() const { return has_value(); }
    void value() const
    {
        if (!has_value())
            detail::throwNoValue();
    }

    const E &error() const &
    {
        if (has_value())
            detail::throwNoFailure();
        return *error_;
    }

private:
    std::optional<E> error_;
};

} // namespace tunedeck

#endif
