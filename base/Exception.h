#pragma once
// Exception classes shared by every layer. Messages are UTF-8.
#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class EStreamError : public Exception { public: using Exception::Exception; };
class EFOpenError : public EStreamError { public: using EStreamError::EStreamError; };
class EReadError : public EStreamError { public: using EStreamError::EStreamError; };
class EWriteError : public EStreamError { public: using EStreamError::EStreamError; };
// A picture that cannot be decoded; the message says why (truncated, bad header, unsupported, too large).
class EInvalidGraphic : public Exception { public: using Exception::Exception; };
