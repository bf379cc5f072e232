#pragma once

#include "image/ImageStore.h"
#include "pages/PageBuilder.h"
#include "pages/PageContext.h"

#include <QLineEdit>
#include <QWidget>
#include <gtest/gtest.h>

// A field unit's configuration bytes: a different pattern at each address.
inline std::string FieldUnitBytes(int step = 7, int offset = 3)
{
    std::string bytes(3072, '\0');
    for (int a = 0; a < 3072; ++a)
        bytes[size_t(a)] = static_cast<char>((a * step + offset) & 0xFF);
    return bytes;
}

// A page with a few bound controls over the default image, redrawn through the master redraw.
class Page : public ::testing::Test
{
  public:
    void SetUp() override
    {
        image.OnRedraw = [this] {
            ++redraws;
            redraw.ImageToControls();
        };
        image.setDefaultClick();
        redraws = 0;
    }
    QWidget* Build(const TRow& row) { return TPageBuilder(ctx).Build(&window, row); }
    // The user types text into a built edit and leaves it.
    void Type(const char* name, const char* text)
    {
        ctx.Get<QLineEdit>(name)->setText(text);
        ctx.Exits.at(name)();
    }

    ImageStore image;
    TRedraw redraw;
    TCommitList commits{WriteCommitOrder()};
    TPageContext ctx{image, redraw, commits};
    QWidget window;
    int redraws = 0;
};
