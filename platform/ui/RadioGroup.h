#pragma once

#include <QGroupBox>

#include <functional>
#include <string>
#include <vector>

class QButtonGroup;
class QGridLayout;
class QRadioButton;

// A titled group of radio buttons chosen by index. The index is clamped to -1 (nothing chosen) ..
// Count() - 1, so a stored value out of range never picks a button that is not there. The click handler runs
// whenever the index really changes, by the user or by code; it runs under the guard.
class TRadioGroup : public QGroupBox
{
    Q_OBJECT
  public:
    explicit TRadioGroup(const QString& caption = {}, QWidget* parent = nullptr);

    // Item captions are single-byte text. The index stays where it was, clamped to the new count.
    void SetItems(const std::vector<std::string>& items);
    std::vector<std::string> Items() const;
    int Count() const { return static_cast<int>(buttons_.size()); }
    void SetColumns(int columns);

    int ItemIndex() const { return index_; }
    void SetItemIndex(int index);
    void SetOnClick(std::function<void()> handler) { onClick_ = std::move(handler); }

    QRadioButton* Button(int index) const;

  private:
    void Chosen(int id, bool checked);
    void Arrange();
    void Changed(int index);

    QButtonGroup* group_;
    QGridLayout* layout_;
    std::vector<QRadioButton*> buttons_;
    int columns_ = 1;
    int index_ = -1;
    bool quiet_ = false;
    std::function<void()> onClick_;
};
