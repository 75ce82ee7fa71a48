#include "ConnectionPrompts.h"

#include "ADOConnectionMSSQL.h"
#include "DataSourceLocator.h"
#include "Error.h"
#include "MessageBoxes.h"
#include "Translation.h"
#include "uDMMain.h"

namespace tarnwick {

using i18n::tr;

namespace {
bool prompt(QWidget *owner, TDataSourceLocator &dsLoc, const QString &current)
{
    return current.isEmpty() ? dsLoc.PromptNew(owner) : dsLoc.PromptEdit(owner, current);
}
} // namespace

bool connectAtStartup(QWidget *owner, TDataSourceLocator &dsLoc, TdmMain &dm,
                      const StoredConnectionString &stored)
{
    QString s = stored.read();
    if (!s.isEmpty()) {
        if (!dm.connMain->isOpen())
            dm.OpenConnection(s);
        return false;
    }

    int promptFailures = 0;
    for (;;) {
        bool confirmed = false;
        try {
            confirmed = prompt(owner, dsLoc, s);
            if (confirmed) {
                s = dsLoc.PromptResult();
                stored.write(s);
            }
        } catch (const std::exception &) {
            ShowMessageBox(tr("Greška"),
                           tr("Nije izabrana odgovarajuća baza podataka. Potrebno je izabrati QZ "
                              "bazu (min. ver. 3.11.0)"),
                           IconError);
            // A prompt that cannot work would otherwise trap the operator in these boxes.
            if (++promptFailures >= maxPromptFailures)
                throw;
            continue;
        }
        promptFailures = 0;
        // Cancelled: the program ends, and an empty string is not worth an attempt first.
        if (!confirmed)
            return true;
        try {
            dm.OpenConnection(s);
            return false;
        } catch (const std::exception &e) {
            ShowMessageBox(tr("Greška"), messageOf(e), IconError);
        }
    }
}

void changeDatabaseConnection(QWidget *owner, TDataSourceLocator &dsLoc, TdmMain &dm,
                              const StoredConnectionString &stored)
{
    QString s = dm.connMain->ConnectionString();
    int promptFailures = 0;
    for (;;) {
        bool confirmed = false;
        try {
            confirmed = prompt(owner, dsLoc, s);
        } catch (const std::exception &e) {
            ShowMessageBox(tr("Greška"), messageOf(e), IconError);
            if (++promptFailures >= maxPromptFailures)
                return;
            continue;
        }
        promptFailures = 0;
        if (!confirmed)
            return;
        s = dsLoc.PromptResult();
        // Compared with what connMain has now, not with the string the command started on: after
        // a failed attempt the operator may go back to the old string, which must then open
        // again (and be stored again) rather than leave the failing one behind.
        if (s == dm.connMain->ConnectionString() && dm.connMain->isOpen())
            return;
        try {
            if (stored.read() != s)
                stored.write(s);
            dm.OpenConnection(s);
            return;
        } catch (const std::exception &e) {
            ShowMessageBox(tr("Greška"), messageOf(e), IconError);
        }
    }
}

} // namespace tarnwick
