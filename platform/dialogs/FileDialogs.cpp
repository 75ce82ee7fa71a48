#include "FileDialogs.h"

#include <QFileDialog>

namespace tarnwick {

namespace {
bool answerPending = false;
std::optional<QString> pendingAnswer;
FileDialogs::SaveRequest lastRequest;
} // namespace

std::optional<QString> FileDialogs::getSaveFileName(QWidget *parent, const SaveRequest &request)
{
    lastRequest = request;
    if (answerPending) {
        answerPending = false;
        return pendingAnswer;
    }
    QFileDialog dialog(parent, request.title);
    dialog.setObjectName(QStringLiteral("dlgSave"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.selectFile(request.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

void FileDialogs::answerNextSave(std::optional<QString> answer)
{
    answerPending = true;
    pendingAnswer = std::move(answer);
}

FileDialogs::SaveRequest FileDialogs::lastSaveRequest() { return lastRequest; }

} // namespace tarnwick
