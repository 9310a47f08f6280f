#pragma once
#include <stdexcept>
#include <string>

namespace tp {

// Base of every error that ends a user operation and reaches the
// application's error box; what() is the message without the final stop.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that should have been a number.
class InvalidNumber : public Error {
public:
    explicit InvalidNumber(const std::string& text)
        : Error("'" + text + "' is not a valid integer value") {}
};

// A file that cannot be read or written as expected.
class FileError : public Error {
public:
    using Error::Error;
};

} // namespace tp
