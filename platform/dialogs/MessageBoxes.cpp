#include "MessageBoxes.h"

#include "Trace.h"
#include "Translation.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace tarnwick {

namespace {
QPointer<QWidget> ownerWindow;
MessageBoxes::Interceptor interceptor;
std::function<void(const QString &)> statusLine;
bool generalOpen = false;

QMessageBox::Icon iconOf(int icon)
{
    switch (icon) {
    case IconError:
        return QMessageBox::Critical;
    case IconQuestion:
        return QMessageBox::Question;
    case IconWarning:
        return QMessageBox::Warning;
    case IconInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

void showBox(const QString &caption, const QString &text, int icon)
{
    if (interceptor) {
        interceptor(caption, text, icon);
        return;
    }
    QMessageBox box(iconOf(icon), caption, text, QMessageBox::Ok, ownerWindow.data());
    box.setObjectName(QStringLiteral("messageBox"));
    box.exec();
}
} // namespace

void ShowMessageBox(const QString &caption, const QString &text, int icon) { showBox(caption, text, icon); }

void MessageBoxes::setOwner(QWidget *owner) { ownerWindow = owner; }
QWidget *MessageBoxes::owner() { return ownerWindow.data(); }
void MessageBoxes::setInterceptor(Interceptor i) { interceptor = std::move(i); }
void MessageBoxes::setStatusLine(std::function<void(const QString &)> s) { statusLine = std::move(s); }
bool MessageBoxes::generalErrorOpen() { return generalOpen; }

void MessageBoxes::showGeneralError(const QString &message)
{
    trace(QStringLiteral("Greška: %1").arg(message));
    if (generalOpen) {
        // A burst of failures (a database that went away) must not pile up modal boxes.
        if (statusLine)
            statusLine(message);
        return;
    }
    generalOpen = true;
    struct Reset
    {
        ~Reset() { generalOpen = false; }
    } reset;
    // Captioned with the application's title, as the general error box of any program.
    showBox(QStringLiteral("Tarnwick"), message, IconError);
}

} // namespace tarnwick
