#pragma once

#include <exception>
#include <functional>

// The application-wide handler of errors that no handler caught. The application's event
// dispatch hands every escaping exception to it; the GL panel installs its own when it loads.
using ExceptionHandler = std::function<void(const std::exception&)>;

// Replaces the handler; an empty function goes back to the default, which reports the error
// through dialogs().error().
void setApplicationExceptionHandler(ExceptionHandler handler);
void handleApplicationException(const std::exception& error);

// The default report: the error's message and kind through dialogs().error().
void reportException(const std::exception& error);
