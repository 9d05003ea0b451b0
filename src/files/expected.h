// A value or the reason there is none: the shape of std::expected, which C++20 lacks.
#pragma once

#include <optional>
#include <utility>
#include <variant>

namespace sleevemaster {

/// Wraps an error so that Expected can tell it from a value of the same type.
template <typename E>
struct Unexpected {
  E Error;
};

template <typename E>
Unexpected<E> MakeUnexpected(E error) {
  return Unexpected<E>{std::move(error)};
}

/// Holds either a T (success) or an E (why it failed).
template <typename T, typename E>
class Expected {
 public:
  Expected(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Expected(Unexpected<E> error) : state_(std::in_place_index<1>, std::move(error.Error)) {}

  bool HasValue() const { return state_.index() == 0; }
  explicit operator bool() const { return HasValue(); }
  /// Only on success.
  const T& Value() const { return std::get<0>(state_); }
  T& Value() { return std::get<0>(state_); }
  const T* operator->() const { return &Value(); }
  /// Only on failure.
  const E& Error() const { return std::get<1>(state_); }

 private:
  std::variant<T, E> state_;
};

/// Success with no value, or the reason for a failure.
template <typename E>
class Expected<void, E> {
 public:
  Expected() = default;
  Expected(Unexpected<E> error) : error_(std::move(error.Error)) {}

  bool HasValue() const { return !error_.has_value(); }
  explicit operator bool() const { return HasValue(); }
  /// Only on failure.
  const E& Error() const { return *error_; }

 private:
  std::optional<E> error_;
};

}  // namespace sleevemaster
