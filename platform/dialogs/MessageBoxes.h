#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace tarnwick {

// Icons of ShowMessageBox, numbered as the system's message box flags.
enum MessageIcon : int { IconError = 16, IconQuestion = 32, IconWarning = 48, IconInformation = 64 };

// The program-wide modal message box: over the owner window, an OK button only.
void ShowMessageBox(const QString &caption, const QString &text, int icon);

class MessageBoxes
{
public:
    // The window the boxes are shown over (the main window); null shows them without owner.
    static void setOwner(QWidget *owner);
    static QWidget *owner();

    // Tests answer the boxes: while set, the function is called instead of showing a box.
    using Interceptor = std::function<void(const QString &caption, const QString &text, int icon)>;
    static void setInterceptor(Interceptor interceptor);

    // The application's general error box for errors that no handler caught. At most one is
    // open at a time: errors raised while it is open go to the trace and to the status line.
    static void showGeneralError(const QString &message);
    static bool generalErrorOpen();
    // Where errors go while the general error box is open (the main window's status bar).
    static void setStatusLine(std::function<void(const QString &)> statusLine);
};

} // namespace tarnwick
