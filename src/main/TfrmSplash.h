#pragma once
// The splash window: counts the start-up progress, and later serves as the
// about box.

#include <QDialog>
#include <memory>

namespace Ui {
class TfrmSplash;
}

class TfrmSplash : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSplash(QWidget* parent = nullptr);
    ~TfrmSplash() override;

    // Shows "Loading N%" (text as given) and paints it at once.
    void ShowProgress(const QString& text);
    // Shows the progress label with its first text; for the start-up.
    void StartProgress(const QString& text);
    // The last half second of the start-up: "Loading 100%", then the splash closes.
    void FinishSplash();
    // Shows the window modally as the about box; a click on the picture or the text closes it.
    void ShowAbout();

    bool AboutMode() const { return aboutMode_; }
    QString ProgressText() const;
    // Every progress text shown so far, in order (the start-up's record).
    const QStringList& ProgressHistory() const { return history_; }

    // Length of one of the two pauses of FinishSplash in milliseconds (tests shorten it).
    void SetPauseRounds(int rounds) { pauseRounds_ = rounds; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Pause();

    std::unique_ptr<Ui::TfrmSplash> ui;
    bool aboutMode_ = false;
    bool versionShown_ = false;
    int pauseRounds_ = 5;
    QStringList history_;
};

// The splash window of this run, or null before it exists.
extern TfrmSplash* frmSplash;
