#include "ui/Help.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QVariant>
#include <QWidget>

#include "core/ProgramFolder.h"

QString HelpPagePath(int context) {
    const QString folder = QString::fromStdString(core::ProgramFolder()) + "Help/";
    return context > 0 ? folder + QString::number(context) + ".html" : folder + "index.html";
}

QString WhatsThisText(int context) {
    static QHash<QString, QString> cache;  // keyed by path: tests move the program folder
    const QString path = HelpPagePath(context);
    if (auto found = cache.find(path); found != cache.end()) return *found;

    QString text;
    QFile page(path);
    if (page.open(QIODevice::ReadOnly)) {
        const QString html = QString::fromUtf8(page.readAll());
        static const QRegularExpression heading("<h1[^>]*>(.*?)</h1>",
                                                QRegularExpression::DotMatchesEverythingOption);
        static const QRegularExpression paragraph("<p[^>]*class=\"whatsthis\"[^>]*>(.*?)</p>",
                                                  QRegularExpression::DotMatchesEverythingOption);
        const auto h = heading.match(html);
        const auto p = paragraph.match(html);
        if (h.hasMatch()) text += "<b>" + h.captured(1).trimmed() + "</b>";
        if (p.hasMatch()) text += "<p>" + p.captured(1).trimmed() + "</p>";
    }
    cache.insert(path, text);
    return text;
}

int HelpContextOf(const QWidget* widget) {
    for (; widget; widget = widget->parentWidget()) {
        const QVariant context = widget->property("helpContext");
        if (context.isValid() && context.toInt() > 0) return context.toInt();
    }
    return 0;
}

void BindWhatsThis(QWidget* window) {
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* widget : widgets) {
        const QVariant context = widget->property("helpContext");
        if (!context.isValid()) continue;
        const QString text = WhatsThisText(context.toInt());
        if (!text.isEmpty()) widget->setWhatsThis(text);
    }
}
