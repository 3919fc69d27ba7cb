#pragma once

#include <stdexcept>
#include <string>

// An error while reading a model or a material library; what() is the text the user sees.
class ModelError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A value that is not a number of the expected kind: "'TEXT' is not a valid floating point value"
// or "'TEXT' is not a valid integer value", TEXT as written in the (upper-cased) line.
class ModelConversionError : public ModelError
{
public:
    using ModelError::ModelError;
};

// A model or library that exists but cannot be read (no permission, a read failure).
class ModelReadError : public ModelError
{
public:
    using ModelError::ModelError;
};
