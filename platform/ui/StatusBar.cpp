#include "platform/ui/StatusBar.h"

#include "platform/ui/Latin1.h"

#include <QLabel>

TStatusBar::TStatusBar(const std::vector<int>& panelWidths, QWidget* parent) : QStatusBar(parent)
{
    setSizeGripEnabled(false);
    for (size_t i = 0; i < panelWidths.size(); ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QString("Panel%1").arg(i));
        panel->setTextFormat(Qt::PlainText);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setMinimumWidth(panelWidths[i]);
        bool last = i + 1 == panelWidths.size();
        if (!last)
            panel->setMaximumWidth(panelWidths[i]);
        addWidget(panel, last ? 1 : 0);
        panels_.push_back(panel);
    }
}

void TStatusBar::SetPanelText(int panel, const std::string& text)
{
    if (panel >= 0 && panel < PanelCount())
        panels_[static_cast<size_t>(panel)]->setText(FromLatin1(text));
}

std::string TStatusBar::PanelText(int panel) const
{
    if (panel < 0 || panel >= PanelCount())
        return {};
    return ToLatin1(panels_[static_cast<size_t>(panel)]->text());
}
