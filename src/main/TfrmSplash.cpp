#include "TfrmSplash.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QThread>

#include "core/ProgramSettings.h"
#include "core/TextHelpers.h"
#include "ui_TfrmSplash.h"

TfrmSplash* frmSplash = nullptr;

static void InitSplashResources() { Q_INIT_RESOURCE(icons); }

TfrmSplash::TfrmSplash(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TfrmSplash>()) {
    InitSplashResources();
    ui->setupUi(this);
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    ui->imgSplash->setPixmap(QPixmap(":/icons/splash"));
    ui->lblLoading->hide();
    ui->imgSplash->installEventFilter(this);
    ui->lblSplash->installEventFilter(this);
    adjustSize();
}

TfrmSplash::~TfrmSplash() = default;

void TfrmSplash::showEvent(QShowEvent* event) {
    if (!versionShown_) {
        ui->lblVersion->setText("v" + QString::fromStdString(core::VersionNumberText()));
        versionShown_ = true;
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center() - rect().center());
        // The about box goes back where the user left it; it has a fixed size,
        // so only its corner is restored.
        if (aboutMode_ && core::Settings) {
            const core::TWindowPlace& place = core::Settings->Place("about");
            if (place.Top >= 0 && place.Left >= 0 && place.Top + height() <= area.height() &&
                place.Left + width() <= area.width())
                move(place.Left, place.Top);
        }
    }
    QDialog::showEvent(event);
}

void TfrmSplash::StartProgress(const QString& text) {
    aboutMode_ = false;
    ui->lblLoading->setText(text);
    ui->lblLoading->show();
    history_ << text;
}

void TfrmSplash::ShowProgress(const QString& text) {
    ui->lblLoading->setText(text);
    history_ << text;
    ui->lblLoading->repaint();
    QApplication::processEvents();
}

QString TfrmSplash::ProgressText() const { return ui->lblLoading->text(); }

void TfrmSplash::Pause() {
    for (int i = 0; i < pauseRounds_; ++i) {
        QApplication::processEvents();
        QThread::msleep(100);
        QApplication::processEvents();
    }
}

void TfrmSplash::FinishSplash() {
    ShowProgress("Loading 100%");
    Pause();
    ui->lblLoading->hide();
    Pause();
    close();
}

void TfrmSplash::ShowAbout() {
    aboutMode_ = true;
    ui->lblLoading->hide();
    exec();
    if (core::Settings) core::Settings->Place("about") = {y(), x(), height(), width()};
    aboutMode_ = false;
}

bool TfrmSplash::eventFilter(QObject* watched, QEvent* event) {
    if (aboutMode_ && event->type() == QEvent::MouseButtonRelease &&
        (watched == ui->imgSplash || watched == ui->lblSplash)) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
