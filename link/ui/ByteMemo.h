#pragma once

#include <QPlainTextEdit>

#include <cstddef>
#include <string>
#include <string_view>

// A read-only memo that keeps its text as bytes and shows it. A text widget alone would lose zero bytes and
// lone CRs; here the bytes stay exact (Bytes()) and the view gets a readable rendering: CR, LF and CR LF break
// the line, other control bytes show as their control pictures, everything else as Latin-1. Text is only
// ever appended, so a long log costs nothing per received block but the block itself.
class ByteMemo : public QPlainTextEdit
{
    Q_OBJECT
  public:
    explicit ByteMemo(QWidget* parent = nullptr);

    const std::string& Bytes() const { return bytes_; }
    // Appends bytes; when markOffset is given, the character at that offset of bytes (or the end) becomes the
    // mark that ShowMark brings into view.
    void Append(std::string_view bytes, std::ptrdiff_t markOffset = -1);
    void ClearAll();
    // Selects the marked character and scrolls it into view.
    void ShowMark();

    // The display form of bytes that follow a text whose last byte was a CR when pendingCR is set; pendingCR
    // then tells the same of bytes. Display positions are recorded for the byte at markOffset.
    static QString Display(std::string_view bytes, bool& pendingCR, std::ptrdiff_t markOffset = -1,
                           int* markDisplay = nullptr);

  private:
    std::string bytes_;
    bool pendingCR_ = false;
    int displayLength_ = 0;
    int markDisplay_ = 0;
};
