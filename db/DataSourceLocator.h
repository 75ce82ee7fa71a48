#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace tarnwick {

// The connection prompt (instance dsLoc on the main window): a modal dialog over the owner that
// builds a new connection string or edits a given one.
class TDataSourceLocator : public QObject
{
    Q_OBJECT
public:
    explicit TDataSourceLocator(QObject *parent = nullptr);

    // True when the operator confirmed; PromptResult then holds the string. Errors of the prompt
    // itself reach the caller.
    bool PromptNew(QWidget *owner);
    bool PromptEdit(QWidget *owner, const QString &connectionString);
    // The string of the last confirmed prompt; cleared when a prompt starts.
    QString PromptResult() const { return m_result; }

    // Tests answer the prompt without showing it. The answerer gets the string being edited
    // (nullopt for a new data source) and returns the confirmed string, or nullopt for cancel;
    // it may throw to stand for a failing prompt. An empty function shows the real dialog.
    using Answerer = std::function<std::optional<QString>(const std::optional<QString> &editing)>;
    static void setAnswerer(Answerer answerer);

private:
    bool prompt(QWidget *owner, const std::optional<QString> &editing);

    QString m_result;
};

} // namespace tarnwick
