#include "ui/Application.h"

#include <exception>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        if (errorHandler_) errorHandler_(QString::fromUtf8(error.what()));
    } catch (...) {
        if (errorHandler_) errorHandler_(QStringLiteral("Unknown error"));
    }
    return false;
}
