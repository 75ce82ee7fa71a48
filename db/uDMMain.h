#pragma once

#include <QObject>
#include <QString>

namespace tarnwick {

class TADOConnectionMSSQL;

// The main data module: owner of connMain, the connection every query and table of the program
// runs on. Created and owned by the main window.
class TdmMain : public QObject
{
    Q_OBJECT
public:
    explicit TdmMain(QObject *parent = nullptr);
    ~TdmMain() override;

    // Closes connMain, gives it the string and opens it. Errors of the open reach the caller
    // unchanged; connMain is then closed and keeps the new string.
    void OpenConnection(const QString &connectionString);

    TADOConnectionMSSQL *connMain = nullptr;
};

// The one data module of the run (null outside it).
extern TdmMain *dmMain;

} // namespace tarnwick
