#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace tarnwick {

// The file and folder dialogs, with a hook through which tests give the operator's answer.
class FileDialogs
{
public:
    struct SaveRequest
    {
        QString title;          // empty: the system's default title
        QString proposedName;   // the file name shown when the dialog opens
        QString filter;         // "Excel fajlovi (*.xls)"
        QString defaultSuffix;  // "xls"
        bool confirmOverwrite = true;
    };

    // The chosen file name, or nothing when the operator cancelled.
    static std::optional<QString> getSaveFileName(QWidget *parent, const SaveRequest &request);

    // The next save dialog returns this answer without showing (nullopt answers "cancel").
    // The request it received is kept for the test to inspect.
    static void answerNextSave(std::optional<QString> answer);
    static SaveRequest lastSaveRequest();
};

} // namespace tarnwick
