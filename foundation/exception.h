#pragma once
// The system raises exceptions only for calls that must not happen, for misuse
// of a value and from the assertion reporter; everything else returns codes.
#include <stdexcept>
#include <string>

namespace kelvo {

// The system's general exception; the message names class and operation.
class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A read or write of a whole block that could not complete.
class EStreamError : public Exception {
public:
    using Exception::Exception;
};

// Raised when the user answers Yes to the assertion reporter.
class EAssertionFailed : public Exception {
public:
    using Exception::Exception;
};

} // namespace kelvo
