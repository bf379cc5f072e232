#include "channels/RecipientCaption.h"

#include <QAbstractButton>
#include <QString>

void ShowRecipientCaption(QAbstractButton* box, const QString& phoneNumber)
{
    const QString caption = QString(phoneNumber).replace('&', "&&");
    if (box->text() != caption)
        box->setText(caption);
}
