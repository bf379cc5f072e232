#pragma once

#include <functional>
#include <string>

class QLabel;
class QLineEdit;
struct TPageContext;

// The hand-bound fields of the "General Settings" page: each puts its decoder at its redraw step and its
// Exit handler under the control's object name (the Set buttons run it from there). Like the generic
// editors, none of them writes while it is shown, and showing then leaving a field stores nothing new.

// Phone number k (1..5): written when it differs, then shown again; shown calls back with the stored text.
// No Enter key commit: a number is stored when the edit is left.
using TPhoneShown = std::function<void(int k, const std::string& text)>;
void BindPhoneNumber(TPageContext& ctx, QLineEdit* edit, int k, TPhoneShown shown);
// SIM PIN: always shown as "****"; a typed PIN of at most 4 characters is stored, "****" never.
void BindSimPin(TPageContext& ctx, QLineEdit* edit);
// Reference date as yy-mm-dd: exactly six digits, or the conversion error and nothing written.
void BindReferenceDate(TPageContext& ctx, QLineEdit* edit);
// HDOP level with two decimals of the stored hundredths.
void BindHdop(TPageContext& ctx, QLineEdit* edit);
// MEMS threshold in mg; the state label tells whether what is stored keeps the sensor on.
void BindMemsThreshold(TPageContext& ctx, QLineEdit* edit, QLabel* state);
// Model and serial number of the unit, shown only.
void BindHardwareIdentity(TPageContext& ctx, QLabel* model, QLabel* serial);
