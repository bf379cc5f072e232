#include "channels/DipSwitches.h"

#include "image/ImageStore.h"
#include "pages/PageBuilder.h"
#include "pages/PageContext.h"
#include "pages/Sheet.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/RadioGroup.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>

#include <algorithm>

#include <string>
#include <vector>

namespace
{

MultiBitChoice SwitchField(int k)
{
    const auto mask = static_cast<uint8_t>(k <= 8 ? 1 << (k - 1) : 1 << (k - 9));
    return {k <= 8 ? 188 : 187, mask, {0x00, mask}};
}

// The legend of one switch position on one variant: a heading, then a line per switch.
struct TLegend {
    const char* name;
    const char* heading;
    std::vector<std::string> lines;
};

std::vector<std::string> Lines(const char* first, const char* middle, const std::vector<std::string>& last)
{
    std::vector<std::string> lines = {std::string("1: ") + first};
    for (int k = 2; k <= 5; ++k)
        lines.push_back(std::to_string(k) + ": " + middle);
    lines.insert(lines.end(), last.begin(), last.end());
    return lines;
}

std::vector<TLegend> Legends()
{
    const std::vector<std::string> mossRest = {"6: Comb for ch 6", "7: Comb for ch 6", "8: Comb for ch 7",
                                               "9: Comb for ch 7", "10:Comb for ch 7"};
    return {
        {"Memo5", "OFF       (TARN)",
         Lines("Pulse/DigIO(Weak Pu)", "DigIO/Analog(0-2.5V)", {"6: Analog(0-5V)", "7: PT1000", "8: PT100"})},
        {"Memo6", "ON        (TARN)",
         Lines("Pulse/DigIO(Strong Pu)", "Analog(4-20mA)", {"6: Analog(0-10V)", "7: PT100", "8: PT1000"})},
        {"Memo7", "OFF       (MOSS)", Lines("Comb for ch 6", "DigIO/Analog(0-2.5V)", mossRest)},
        {"Memo8", "ON        (MOSS)", Lines("Comb for ch 6", "Analog(4-20mA)", mossRest)},
    };
}

QPlainTextEdit* Memo(TPageContext& ctx, QWidget* parent, const TLegend& legend)
{
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(legend.name);
    std::string text = legend.heading;
    for (const std::string& line : legend.lines)
        text += "\n" + line;
    memo->setPlainText(FromLatin1(text));
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setFocusPolicy(Qt::NoFocus);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Sized to its text: the legend is read at a glance, never scrolled.
    const QFontMetrics metrics(memo->font());
    int width = 0;
    for (const QString& line : memo->toPlainText().split('\n'))
        width = std::max(width, metrics.horizontalAdvance(line));
    const int lines = static_cast<int>(legend.lines.size()) + 1;
    memo->setFixedSize(width + 24, lines * metrics.lineSpacing() + 16);
    ctx.AddControl(memo);
    return memo;
}

} // namespace

TDipSwitches::TDipSwitches(TPageContext& ctx, QWidget* sheet) : ctx_(ctx)
{
    Build(sheet);
}

void TDipSwitches::Build(QWidget* sheet)
{
    auto* group = new QGroupBox("HW DIP Switch Position");
    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel("OFF   ON", group), 0, 0);
    TPageBuilder builder(ctx_);
    for (int k = 1; k <= kCount; ++k) {
        TRow row{"DIPSW" + std::to_string(k) + "_RG", "", SwitchField(k), TRedraw::OptionBits, {"", ""}};
        auto* choice = static_cast<TRadioGroup*>(builder.Build(group, row));
        choice->SetColumns(2);
        choice->setFlat(true);
        choice->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        // "OFF" before any image is shown: a position the window starts with, not one to store.
        choice->SetOnClick({});
        choice->SetItemIndex(0);
        choice->SetOnClick([this, k] { Click(k); });
        switches_[static_cast<size_t>(k - 1)] = choice;
        grid->addWidget(choice, k, 0);
    }
    // The legends two by two beside the switches: TARN above, MOSS below, "OFF" left of "ON".
    auto* legends = new QGridLayout;
    int place = 0;
    for (const TLegend& legend : Legends()) {
        legends->addWidget(Memo(ctx_, group, legend), place / 2, place % 2, Qt::AlignTop);
        ++place;
    }
    legends->setRowStretch(2, 1);
    grid->addLayout(legends, 0, 1, kCount + 1, 1);
    grid->setColumnStretch(1, 1);
    TSheet::Of(sheet)->Add(group, 1);
}

void TDipSwitches::Click(int k)
{
    const MultiBitChoice field = SwitchField(k);
    ctx_.Image.SetImageBits(field.address, Switch(k)->ItemIndex(), field.mask);
}
