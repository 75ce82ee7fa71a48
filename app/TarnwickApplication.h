#pragma once

#include <QApplication>
#include <functional>

class QSocketNotifier;

namespace tarnwick {

// The application object. An exception that escapes an event handler ends up in notify(): it is
// shown in the general error box with its own message and the program goes on.
class TarnwickApplication : public QApplication
{
    Q_OBJECT
public:
    TarnwickApplication(int &argc, char **argv);
    ~TarnwickApplication() override;

    bool notify(QObject *receiver, QEvent *event) override;

    // SIGTERM, SIGINT and SIGHUP end the session as a logoff does: the handler closes the main
    // window the normal way, so its settings are saved.
    void onTerminationRequest(std::function<void()> handler) { m_terminate = std::move(handler); }

private:
    void terminationSignalled();

    QSocketNotifier *m_signalNotifier = nullptr;
    std::function<void()> m_terminate;
};

} // namespace tarnwick
