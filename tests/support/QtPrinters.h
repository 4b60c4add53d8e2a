#pragma once
// Failed comparisons show Qt texts as texts. Found by argument lookup, so it
// lives beside QString in the global namespace; one definition for every test.

#include <QString>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
