#pragma once

#include <exception>
#include <functional>

// Where an exception raised by a port event handler goes: it must never cross the window's event loop.
// The application installs its message-box guard here; until then the message goes to the log.
using TComExceptionHandler = std::function<void(std::exception_ptr)>;
void SetComExceptionHandler(TComExceptionHandler Handler);
void ReportComException(std::exception_ptr Error);

// Runs Step and reports whatever it throws, so that the events after it still arrive.
template <class F> void GuardComHandler(F&& Step)
{
    try {
        Step();
    } catch (...) {
        ReportComException(std::current_exception());
    }
}
