#include "app/FileReport.h"
#include "app/TForm1.h"
#include "files/BinFile.h"
#include "files/KvxFile.h"
#include "files/ProposedName.h"
#include "image/ToolVersion.h"
#include "link/protocol/LocalTime.h"
#include "link/ui/ByteMemo.h"
#include "link/ui/TerminalPage.h"
#include "platform/FileIO.h"
#include "platform/FileReplace.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/Latin1.h"

#include <QAction>
#include <QLineEdit>
#include <QToolButton>

namespace
{

constexpr char kKvxSaveFilter[] = "KIV hex-file (*.kvx)|*.kvx";
constexpr char kKvxOpenFilter[] = "KIV EEMapp-file(KVX)|*.kvx";
constexpr char kBinSaveFilter[] = "KIV config-file (*.bin)|*.bin";
constexpr char kBinProposedName[] = "KIV_CT.bin";

bool WriteImageFile(TForm1& form, const std::string& path, const std::string& bytes)
{
    if (SaveResult saved = ReplaceFile(path, bytes); saved.Failed()) {
        ReportFileFault(form, "Cannot write " + PathText(path) + ": " + saved.reason);
        return false;
    }
    return true;
}

// A save takes the bytes out as the tables show them redrawn from the image: each is rewritten plain, so no
// edit mark stays, nor a byte's text as a loaded file spelled it.
void RewritePlain(ImageStore& image, int count)
{
    image.WriteImageString(image.Image.Bytes(0, count), 0, 0);
}

// The Config ID and the user ID as their edits show them once the commit has run.
TKvxNameParts ProposedNameParts(const TPageContext& ctx, const TVariantState& variant)
{
    const LocalTime today = LocalTimeNow();
    TKvxNameParts parts;
    parts.ModemType = variant.modemType;
    parts.HwNumber = variant.hwNumber;
    parts.ConfigId = ToLatin1(ctx.Get<QLineEdit>("ConfigID")->text());
    parts.UserId = ToLatin1(ctx.Get<QLineEdit>("UserIDText")->text());
    parts.Year = today.Year;
    parts.Month = today.Month;
    parts.Day = today.Day;
    parts.VersionTag = kVersionTag;
    return parts;
}

} // namespace

void TForm1::ConnectFileActions()
{
    ConnectGuarded(FileSave, &QAction::triggered, this, [this] { FileSave1Click(); });
    ConnectGuarded(FileOpen, &QAction::triggered, this, [this] { FileOpen1Click(); });
    ConnectGuarded(ToolButton12, &QToolButton::clicked, this, [this] { ToolButton12Click(); });
}

void TForm1::FileSave1Click()
{
    if (!RunGuarded([this] { CommitList.Run(KvxSaveCommitOrder()); }))
        return;
    StampConfigToolNr();
    EncodeModemType();
    Image.ImageSize = MemoryImage::kConfigSize;

    std::string path = LocalFileName(KvxProposedName(ProposedNameParts(PageContext, Variant)));
    if (!Dialogs().SaveFile({"", kKvxSaveFilter}, path))
        return;
    std::array<std::string, kKvxTimers> timers;
    for (int n = 1; n <= kKvxTimers; ++n)
        timers[static_cast<size_t>(n - 1)] = TimerText(n);
    const std::string file = FormatKvx(Image.Image.Bytes(0, kKvxImageBytes), timers, kVersionTag);
    // The edits count as kept only once they are in the file.
    if (!WriteImageFile(*this, path, file))
        return;
    RewritePlain(Image, kKvxImageBytes);
    SetStatus(std::string("Save File OK : KVX-file ") + kVersionTag);
    setWindowTitle(PathCaption(path));
}

void TForm1::FileOpen1Click()
{
    std::string path;
    if (!Dialogs().OpenFile({"", kKvxOpenFilter}, path))
        return;
    std::string text;
    if (int error = ReadWholeFile(path, text)) {
        ReportFileFault(*this, "Cannot open " + PathText(path) + ": " + SystemErrorText(error));
        return;
    }
    // The whole file is read and checked before anything of the window changes.
    const TKvxParse parsed = ParseKvx(text, kVersionTag);
    if (!parsed.Ok) {
        ReportFileFault(*this, PathText(path) + ": " + parsed.Error);
        return;
    }
    const TKvxContent& content = parsed.Content;
    Image.LoadPlain(0, content.Image);
    for (const auto& [address, token] : content.HexTexts)
        Image.Image.KeepHexText(address, token);
    SetStatus(content.Status);
    if (!content.Warning.empty())
        Dialogs().MessageBox(content.Warning, kKvxWarningCaption);
    ClearMemo4();
    if (TermPage->Memo4)
        for (const std::string& line : content.Lines)
            TermPage->Memo4->Append(line + "\r\n");
    setWindowTitle(PathCaption(path));
    FinishImageRead();
}

void TForm1::ToolButton12Click()
{
    const std::string file = FormatBin(Image.Image.Bytes(0, kBinImageBytes));
    std::string path = kBinProposedName;
    if (!Dialogs().SaveFile({"", kBinSaveFilter}, path))
        return;
    if (!WriteImageFile(*this, path, file))
        return;
    RewritePlain(Image, kBinImageBytes);
}
