#pragma once
// The application object: errors that escape an event handler end in one
// handler instead of ending the program.

#include <QApplication>
#include <functional>

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    // Called with the message of an error that escaped an event handler.
    void SetErrorHandler(std::function<void(const QString&)> handler) { errorHandler_ = std::move(handler); }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    std::function<void(const QString&)> errorHandler_;
};
