#pragma once
// Opening web addresses in the user's browser.

#include <string>

namespace ui {

// Opens the address ("www.example.com" is read as an http address) with the
// desktop's default handler; true when the desktop reports it was opened,
// false for an empty or unusable address or a failed start.
bool OpenInBrowser(const std::string& address);

}  // namespace ui
