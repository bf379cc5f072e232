#pragma once

#include "pages/LogRecords.h"

#include <cstdint>
#include <optional>

class QPlainTextEdit;

// The record list of the "Logged Data" page. Up to 6855 lines: the text is built once for each change of
// what it shows (the logging area's bytes, the logged channels, the kind of date, the read size) and set in
// one step; a redraw that changes none of these leaves the list as it is.
class TLogListView
{
  public:
    explicit TLogListView(QPlainTextEdit* memo) : memo_(memo) {}
    void Show(const ImageStore& image);

  private:
    struct TShown {
        uint64_t logAreaStamp;
        TLogLayout layout;
        bool operator==(const TShown&) const = default;
    };

    QPlainTextEdit* memo_;
    std::optional<TShown> shown_;
};
