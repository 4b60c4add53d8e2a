#include "ui/Hints.h"

#include <QApplication>
#include <QHelpEvent>
#include <QProxyStyle>
#include <QToolTip>
#include <QWidget>

namespace {

class THintStyle : public QProxyStyle {
public:
    explicit THintStyle(int wakeUpMs) : wakeUpMs_(wakeUpMs) {}

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay) return wakeUpMs_;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

private:
    int wakeUpMs_;
};

// Shows every hint for the same time instead of one that grows with its length.
class THintTimer : public QObject {
public:
    THintTimer(QObject* parent, int displayMs) : QObject(parent), displayMs_(displayMs) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->toolTip().isEmpty()) return false;
        auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), widget->toolTip(), widget, QRect(), displayMs_);
        return true;
    }

private:
    int displayMs_;
};

}  // namespace

void SetHintTimes(int wakeUpMs, int displayMs) {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QApplication::setStyle(new THintStyle(wakeUpMs));
    qApp->installEventFilter(new THintTimer(qApp, displayMs));
}
