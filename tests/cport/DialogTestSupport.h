#pragma once

#include <QComboBox>
#include <QLatin1String>
#include <QStringList>
#include <QWidget>
#include <gtest/gtest.h>

// A control of a dialog by its object name; a missing one fails the test.
template <typename T> T* Find(QWidget& Form, const char* Name)
{
    T* Control = Form.findChild<T*>(QLatin1String(Name));
    EXPECT_NE(Control, nullptr) << Name;
    return Control;
}

inline QStringList Items(const QComboBox* Box)
{
    QStringList List;
    for (int i = 0; i < Box->count(); ++i)
        List << Box->itemText(i);
    return List;
}
