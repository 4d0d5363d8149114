// SPDX-License-Identifier: MIT
// The one way the program tells a failure: an Error names the file it concerns and keeps the
// system's own words for what went wrong (the program's own words where the system has none),
// and an operation that can fail returns a Result, its value or its Error. What is worth telling
// but is no failure (a file passed over, a leftover removed) is a Note.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace ftes::platform {

struct Error {
    std::string path;
    std::string text;
    // Nothing of that name is there, which is not the same as there but unreadable.
    bool absent = false;
    // Another program holds the file open and shares it with no one (Windows): closing that
    // program, or waiting, is the fix.
    bool held = false;
};

// Something the operator may want to know, about a file, that stopped nothing.
struct Note {
    std::string path;
    std::string text;
};

template <class T = void>
class Result {
  public:
    Result(T value) : value_(std::move(value)) {}
    Result(Error error) : error_(std::move(error)) {}

    explicit operator bool() const { return value_.has_value(); }
    T& operator*() { return *value_; }
    const T& operator*() const { return *value_; }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }
    // Only when the operation failed.
    const Error& error() const { return *error_; }

  private:
    std::optional<T> value_;
    std::optional<Error> error_;
};

template <>
class Result<void> {
  public:
    Result() = default;
    Result(Error error) : error_(std::move(error)) {}

    explicit operator bool() const { return !error_.has_value(); }
    // Only when the operation failed.
    const Error& error() const { return *error_; }

  private:
    std::optional<Error> error_;
};

}  // namespace ftes::platform
