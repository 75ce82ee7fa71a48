#include "uDMMain.h"

#include "ADOConnectionMSSQL.h"

namespace tarnwick {

TdmMain *dmMain = nullptr;

TdmMain::TdmMain(QObject *parent) : QObject(parent), connMain(new TADOConnectionMSSQL(this))
{
    setObjectName(QStringLiteral("dmMain"));
    connMain->setObjectName(QStringLiteral("connMain"));
    dmMain = this;
}

TdmMain::~TdmMain()
{
    connMain->close();
    if (dmMain == this)
        dmMain = nullptr;
}

void TdmMain::OpenConnection(const QString &connectionString)
{
    connMain->close();
    connMain->setConnectionString(connectionString);
    connMain->open();
}

} // namespace tarnwick
