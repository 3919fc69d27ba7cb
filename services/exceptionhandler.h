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

// Hands a copy of `error` to the application's handler once control is back in the event loop:
// for errors caught where throwing on would unwind through Qt's own code (an item model's
// setData, a paint).
void postApplicationException(const std::exception& error);
