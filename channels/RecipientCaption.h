#pragma once

class QAbstractButton;
class QString;

// Captions an SMS recipient box ("Number k" of a channel group) with the alarm phone number it stands for,
// whichever path shows it: the number reads as stored, an '&' in it marking no short cut.
void ShowRecipientCaption(QAbstractButton* box, const QString& phoneNumber);
