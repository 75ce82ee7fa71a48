#include "DataSourceLocator.h"

#include "DataSourceDialog.h"

#include <QPointer>

namespace tarnwick {

namespace {
TDataSourceLocator::Answerer answererHook;
} // namespace

TDataSourceLocator::TDataSourceLocator(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("dsLoc"));
}

void TDataSourceLocator::setAnswerer(Answerer answerer)
{
    answererHook = std::move(answerer);
}

bool TDataSourceLocator::PromptNew(QWidget *owner)
{
    return prompt(owner, std::nullopt);
}

bool TDataSourceLocator::PromptEdit(QWidget *owner, const QString &connectionString)
{
    return prompt(owner, connectionString);
}

bool TDataSourceLocator::prompt(QWidget *owner, const std::optional<QString> &editing)
{
    m_result.clear();
    if (answererHook) {
        const std::optional<QString> answer = answererHook(editing);
        if (!answer)
            return false;
        m_result = *answer;
        return true;
    }

    // Created per use; the guard covers an owner that goes away while the dialog runs.
    QPointer<DataSourceDialog> dialog = new DataSourceDialog(owner);
    dialog->setObjectName(QStringLiteral("dlgDataSource"));
    dialog->setConnectionString(editing.value_or(QString()));
    const int result = dialog->exec();
    if (!dialog)
        return false;
    const QString text = dialog->connectionString();
    delete dialog.data();
    if (result != QDialog::Accepted)
        return false;
    m_result = text;
    return true;
}

} // namespace tarnwick
