#include "pages/LogListView.h"

#include "image/ImageStore.h"
#include "platform/ui/Latin1.h"

#include <QPlainTextEdit>

void TLogListView::Show(const ImageStore& image)
{
    const TLogLayout layout = LogLayout(image);
    // Without records the area's bytes do not matter.
    const TShown now{layout.records ? image.Image.LogAreaStamp() : 0, layout};
    if (shown_ == now)
        return;
    memo_->setPlainText(FromLatin1(LogListText(image, layout)));
    shown_ = now;
}
