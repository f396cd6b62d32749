// Results as values: every fallible core operation returns either its value or an Error.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace ladder51 {

// A refusal or fault as the user sees it: the exact message and where it happened
// (a step, a settings file, a build stage). `where` may be empty.
struct Error {
  std::string message;
  std::string where;

  // "message (where)", or the message alone when there is no location.
  std::string describe() const { return where.empty() ? message : message + " (" + where + ")"; }
};

// Either a value of T or an Error.
template <class T>
class Result {
 public:
  Result(T value) : state_(std::move(value)) {}
  Result(Error error) : state_(std::move(error)) {}

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }
  T& value() { return std::get<0>(state_); }
  const T& value() const { return std::get<0>(state_); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() { return value(); }
  const T& operator*() const { return value(); }
  const Error& error() const { return std::get<1>(state_); }

 private:
  std::variant<T, Error> state_;
};

// The result of an operation that yields nothing but may fail.
struct Done {};
using Status = Result<Done>;
inline Status success() {
  return Done{};
}

}  // namespace ladder51
