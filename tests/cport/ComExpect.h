#pragma once

#include "cport/EComPort.h"

#include <gtest/gtest.h>

// Whether Call raises EComPort with Code (and, when given, the system error WinCode).
template <class F>::testing::AssertionResult RaisesCom(F&& Call, int Code, int WinCode = -2)
{
    try {
        Call();
    } catch (const EComPort& e) {
        if (e.Code != Code)
            return ::testing::AssertionFailure() << "raised code " << e.Code << " (" << e.what() << ")";
        if (WinCode != -2 && e.WinCode != WinCode)
            return ::testing::AssertionFailure() << "system code " << e.WinCode << " (" << e.what() << ")";
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "raised nothing";
}
