#pragma once
// Skins are folders under the program's "Skins" folder, each holding a
// "skin.ini" that names a Qt style sheet and a palette:
//   [Skin]     Name=Dark, StyleSheet=dark.qss
//   [Palette]  Window=#2d2d30, WindowText=#e6e6e6, ... (QPalette role names)
// A skin applies to the whole application, so every window follows it.

#include <QString>
#include <QStringList>

// Loads the skin described by the skin.ini at `path`; false when the file is
// missing or unreadable (the skin in use then stays).
bool LoadSkinFile(const QString& path);

// Back to the unskinned look: no style sheet, the style's own palette.
void RemoveSkin();

// The folder names under `skinsRoot` that hold a skin.ini, sorted.
QStringList SkinFolders(const QString& skinsRoot);

// The skin.ini inside a skin folder, whatever the case of its name; empty when none.
QString SkinFileIn(const QString& folder);
