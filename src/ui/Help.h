#pragma once
// Help: one HTML page per help context number under the program's "Help"
// folder (Help/<number>.html, Help/index.html for the contents). The first
// paragraph of class "whatsthis" of a page is the What's This text of the
// controls that carry that number in their "helpContext" property.

#include <QString>

class QWidget;

// The page of a help context, or of the contents for 0.
QString HelpPagePath(int context);

// The What's This text of a help context; empty when it has no page.
QString WhatsThisText(int context);

// Gives every control under `window` with a helpContext property its What's This text.
void BindWhatsThis(QWidget* window);

// The help context of a widget: its own, else that of the nearest parent that has one, else 0.
int HelpContextOf(const QWidget* widget);
