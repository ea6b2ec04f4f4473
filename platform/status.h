// How a call into the operating system failed, in one shape for every platform routine: a code
// that means the same on every host, the host's own error number and its words. Expected<T> is
// a value or the Status of why there is none. Nothing here throws.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace dunax::platform {

// What went wrong, whatever the host.
enum class StatusCode {
  Ok,
  NotFound,          // no such file, directory, program or child
  AlreadyExists,     // the name is taken
  PermissionDenied,  // the host refuses this user (or this kind of file)
  NoSpace,           // disk full, quota or file-size limit
  NotEmpty,          // a directory that still holds entries
  IsDirectory,       // a file was meant and a directory is there
  NotDirectory,      // a directory was meant and something else is there
  InvalidName,       // a name or argument the host cannot take
  Busy,              // held by someone else (a lock), try again later
  TimedOut,          // the wait ended before the thing waited for
  Interrupted,       // a signal cut the call short
  Unsupported,       // this host or this stream cannot do it (no terminal, say)
  Other,             // anything else: see the error number and the words
};

class [[nodiscard]] Status {
 public:
  // Success.
  Status() = default;

  // A failure with its code, the host's error number (0 when there is none) and its words
  // (empty: message() gives the code's own words).
  Status(StatusCode code, int native, std::string words)
      : code_(code), native_(native), words_(std::move(words)) {}

  // A failure that has no host error number, such as a loader's message.
  static Status failure(StatusCode code, std::string words = {}) {
    return Status(code, 0, std::move(words));
  }

  // The failure the host's error number stands for (errno on POSIX), with the host's words for
  // it. An error number of 0 gives success. (In the host's half: posix/status.cpp.)
  static Status fromNative(int native);

  bool ok() const { return code_ == StatusCode::Ok; }
  bool is(StatusCode code) const { return code_ == code; }
  StatusCode code() const { return code_; }
  int native() const { return native_; }

  // The failure in words for a user: the words given, or else the code's own; empty for
  // success.
  std::string message() const;

 private:
  StatusCode code_ = StatusCode::Ok;
  int native_ = 0;
  std::string words_;
};

// The code that a host error number stands for (errno on POSIX); Ok for 0, Other for a number
// the table does not know. (In the host's half: posix/status.cpp.)
StatusCode statusCodeOfNative(int native);

// The code's own words ("not found", "permission denied", ...); empty for Ok.
const char* wordsOfStatusCode(StatusCode code);

// A value of type T, or the Status that says why there is none.
template <typename T>
class [[nodiscard]] Expected {
 public:
  // A value and a failure both convert implicitly, so that a routine returns either as it is.
  // cppcheck-suppress noExplicitConstructor
  Expected(T value) : value_(std::move(value)) {}  // NOLINT(google-explicit-constructor)
  // status must be a failure; a success without a value is taken as Other.
  // cppcheck-suppress noExplicitConstructor
  Expected(Status status) : status_(std::move(status)) {  // NOLINT(google-explicit-constructor)
    if (status_.ok()) status_ = Status::failure(StatusCode::Other);
  }

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }

  // The failure; success when there is a value.
  const Status& status() const { return status_; }

  // The value. Only to be asked for when ok().
  T& value() & { return *value_; }
  const T& value() const& { return *value_; }
  T&& value() && { return std::move(*value_); }
  T& operator*() & { return *value_; }
  const T& operator*() const& { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }

  // The value, or fallback when there is none.
  T valueOr(T fallback) const& { return ok() ? *value_ : std::move(fallback); }
  T valueOr(T fallback) && { return ok() ? std::move(*value_) : std::move(fallback); }

 private:
  std::optional<T> value_;
  Status status_;
};

}  // namespace dunax::platform
