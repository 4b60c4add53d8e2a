#include "ui/Browser.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace ui {

bool OpenInBrowser(const std::string& address) {
    const QString text = QString::fromStdString(address).trimmed();
    if (text.isEmpty()) return false;
    const QUrl url = QUrl::fromUserInput(text);
    if (!url.isValid()) return false;
    return QDesktopServices::openUrl(url);
}

}  // namespace ui
