#include "platform/ui/HandlerGuard.h"

#include "platform/ui/Dialogs.h"

#include <exception>

std::string CurrentExceptionMessage()
{
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown error";
    }
}

bool RunGuarded(const std::function<void()>& handler)
{
    try {
        handler();
        return true;
    } catch (...) {
        std::string message = CurrentExceptionMessage();
        // A failing message box must not let the first failure escape either.
        try {
            Dialogs().MessageBox(message, kHandlerErrorCaption);
        } catch (...) {
        }
        return false;
    }
}
