#pragma once

#include <QWidget>

#include <functional>
#include <string>

class QLabel;
class QProgressBar;

enum class TProgressDirection { Read, Write };

// The progress window of the long transfers with a unit: a caption that names the direction, a bar, one
// status line, and icons; at the end a green "OK" or a red "ERROR" for a second. Created once, shown and
// hidden by each transfer. Window thread only.
class TFormSave : public QWidget
{
    Q_OBJECT
  public:
    explicit TFormSave(QWidget* parent = nullptr);

    // The whole start of a transfer: ResetProgress, then ShowProgressWindow.
    void StartProgress(TProgressDirection direction, int total);
    // Bar range 0..total at 0 and an empty status line; the window stays as it is.
    void ResetProgress(int total);
    // Direction icon and caption ("Reading in progress..." / "Writing in progress..."), result marks hidden,
    // the window shown in front (modeless: the main window stays usable).
    void ShowProgressWindow(TProgressDirection direction);
    // The status line, painted at once although the caller is inside a wait.
    void SetProgressStep(const std::string& text);
    // Bar position, held within the bar's range.
    void SetProgressPosition(int position);
    // The end of a transfer: "OK" in green when message equals okMessage, else "ERROR" in red with the
    // password or the stop mark; shown for ResultShowMs while events are handled, then the plain status font.
    void ShowProgressResult(const std::string& message, const std::string& okMessage, int holdMs = -1,
                            const std::function<void()>& whileShown = {});
    // Closes the window; OnClose runs whoever closes it.
    void CloseProgress();

    // True while ShowProgressResult holds the result on screen (a wait that handles events).
    bool InResultWait() const { return resultWaits_ > 0; }

    // The main window's reset of a running TCP transfer; closing the window stops such a transfer.
    std::function<void()> OnClose;
    int ResultShowMs = 1000;

    QProgressBar* ProgressBar1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Image1;
    QLabel* UpLImage;
    QLabel* Image3;
    QLabel* DwnLImage;
    QLabel* AlertImage;
    QLabel* PswdImage;
    QLabel* StopImage;
    QLabel* OKImage;

    static constexpr int kResultPointSize = 15;
    static constexpr int kPlainPointSize = 10;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QLabel* AddImage(const char* name, int x, int y, int standardIcon);
    void SetStatusFont(const QColor* colour, int pointSize);

    int resultWaits_ = 0;
};

// The colours of the result line.
QColor ProgressOkColour();    // green, 0x008000
QColor ProgressErrorColour(); // red, 0xFF0000
