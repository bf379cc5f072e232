#pragma once

#include <QObject>

#include <functional>
#include <string>
#include <type_traits>
#include <utility>

// The one place where a failure of an event handler ends: the exception's message is shown in a message box
// (through Dialogs()), what the handler did before stays done, and the program goes on. No exception ever
// reaches the Qt event loop.

inline constexpr const char* kHandlerErrorCaption = "Error";

// Runs handler under the guard; true when it ran to its end.
bool RunGuarded(const std::function<void()>& handler);

// The message the guard shows for the exception being handled (call inside a catch block).
std::string CurrentExceptionMessage();

// Wraps a handler for a signal connection: whatever arguments the signal carries, the handler gets them if
// it takes them, or none.
template <class F> auto Guarded(F handler)
{
    return [handler = std::move(handler)](auto&&... args) mutable {
        RunGuarded([&] {
            if constexpr (std::is_invocable_v<F&, decltype(args)...>)
                handler(std::forward<decltype(args)>(args)...);
            else
                handler();
        });
    };
}

// connect() with the handler under the guard; context ends the connection when it goes.
template <class Sender, class Signal, class F>
QMetaObject::Connection ConnectGuarded(Sender* sender, Signal signal, QObject* context, F handler)
{
    return QObject::connect(sender, signal, context, Guarded(std::move(handler)));
}
