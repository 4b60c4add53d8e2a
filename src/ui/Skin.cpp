#include "ui/Skin.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaEnum>
#include <QPalette>
#include <QSettings>
#include <QStyle>

namespace {

// QPalette role names as they appear in a skin.ini.
const std::pair<const char*, QPalette::ColorRole> kRoles[] = {
    {"Window", QPalette::Window},
    {"WindowText", QPalette::WindowText},
    {"Base", QPalette::Base},
    {"AlternateBase", QPalette::AlternateBase},
    {"Text", QPalette::Text},
    {"Button", QPalette::Button},
    {"ButtonText", QPalette::ButtonText},
    {"BrightText", QPalette::BrightText},
    {"Highlight", QPalette::Highlight},
    {"HighlightedText", QPalette::HighlightedText},
    {"ToolTipBase", QPalette::ToolTipBase},
    {"ToolTipText", QPalette::ToolTipText},
    {"Link", QPalette::Link},
    {"PlaceholderText", QPalette::PlaceholderText},
    {"Light", QPalette::Light},
    {"Midlight", QPalette::Midlight},
    {"Mid", QPalette::Mid},
    {"Dark", QPalette::Dark},
    {"Shadow", QPalette::Shadow},
};

}  // namespace

bool LoadSkinFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) return false;

    QSettings ini(path, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError) return false;

    QString styleSheet;
    const QString sheetName = ini.value("Skin/StyleSheet").toString();
    if (!sheetName.isEmpty()) {
        QFile sheet(info.dir().filePath(sheetName));
        if (!sheet.open(QIODevice::ReadOnly)) return false;
        styleSheet = QString::fromUtf8(sheet.readAll());
    }

    QPalette palette = QApplication::style()->standardPalette();
    for (const auto& [name, role] : kRoles) {
        const QString value = ini.value(QStringLiteral("Palette/") + name).toString();
        if (value.isEmpty()) continue;
        const QColor colour = QColor::fromString(value);
        if (!colour.isValid()) continue;
        palette.setColor(QPalette::All, role, colour);
        if (role == QPalette::Text || role == QPalette::WindowText || role == QPalette::ButtonText) {
            QColor disabled = colour;
            disabled.setAlphaF(0.5f);
            palette.setColor(QPalette::Disabled, role, disabled);
        }
    }
    QApplication::setPalette(palette);
    qApp->setStyleSheet(styleSheet);
    return true;
}

void RemoveSkin() {
    qApp->setStyleSheet(QString());
    QApplication::setPalette(QApplication::style()->standardPalette());
}

QString SkinFileIn(const QString& folder) {
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files))
        if (name.compare("skin.ini", Qt::CaseInsensitive) == 0) return dir.filePath(name);
    return {};
}

QStringList SkinFolders(const QString& skinsRoot) {
    QStringList result;
    const QDir root(skinsRoot);
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
        if (!SkinFileIn(root.filePath(name)).isEmpty()) result << name;
    return result;
}
