#pragma once

#include <QCheckBox>

#include <functional>

// A check box whose click handler runs whenever its state really changes: clicked by the user or set by code
// (start-up, the port button and the channel-type set-up rely on the latter). Setting the state it already
// has runs nothing. The handler runs under the guard, so a failure is shown and the setter's caller goes on.
class TCheckBox : public QCheckBox
{
    Q_OBJECT
  public:
    explicit TCheckBox(const QString& caption = {}, QWidget* parent = nullptr);

    bool Checked() const { return isChecked(); }
    void SetChecked(bool checked) { setChecked(checked); }
    void SetOnClick(std::function<void()> handler) { onClick_ = std::move(handler); }

  private:
    std::function<void()> onClick_;
};
