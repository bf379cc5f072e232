#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>

class ImageStore;
class QWidget;
class TRedraw;
struct TPageContext;

// The hidden read-size choice: item 0 sizes the image to the configuration area and clears the log capacity
// table, item 1 takes the log area in and fills the table; any other item sizes nothing. Then every page is
// redrawn.
void RadioGroup1Click(ImageStore& image, TRedraw& redraw, int itemIndex);

// The "General Settings" page: the unit ID, the alarm phone numbers, the SMS limit and status, the unit's
// identity, the reference date, SIM PIN and password, GNSS and MEMS settings. It also fills the commit
// list's entries of these settings and of the communication page's hidden Set button. The option switches
// of its groups are built with the other option bits and take their own groups on the same sheet.
class TGeneralPage : public QObject
{
    Q_OBJECT
  public:
    // channelType: the window's channel-type codes, stored into the image by the communication Set button.
    TGeneralPage(TPageContext& ctx, QWidget* generalSheet, QWidget* communicationSheet,
                 const std::array<uint8_t, 7>& channelType);

  signals:
    // Phone number k (1..5) as the image holds it, each time it is shown: in every redraw and as soon as
    // its edit has stored a change. The channel pages caption their "Number k" recipient boxes with it.
    void PhoneNumberShown(int k, const QString& text);
};
