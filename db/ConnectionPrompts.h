#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace tarnwick {

class TDataSourceLocator;
class TdmMain;

// Access to the main window's stored value ConnectionString (in memory; it reaches the registry
// when the window closes).
struct StoredConnectionString
{
    std::function<QString()> read;
    std::function<void(const QString &)> write;
};

// After this many failures of the prompt itself in a row a loop stops prompting.
inline constexpr int maxPromptFailures = 3;

// The start-up connection, run once right after the main window's stored values are restored.
// A stored string is opened as it is, without a prompt; an error of that open reaches the
// caller. Without one the operator is prompted for a new data source until one opens; a failing
// open shows the provider's message under "Greška" and prompts again on the failing string.
// Returns true when the operator cancelled the prompt: the program is to end (nothing is opened
// then). Throws Error when the prompt itself keeps failing.
bool connectAtStartup(QWidget *owner, TDataSourceLocator &dsLoc, TdmMain &dm,
                      const StoredConnectionString &stored);

// The command "Baza podataka...": the prompt on connMain's string until the operator cancels or
// a confirmed string opens. A confirmed string that connMain already has open changes nothing;
// any other is stored and opened, and a failing open shows its message under "Greška" and
// prompts again on the failing string.
void changeDatabaseConnection(QWidget *owner, TDataSourceLocator &dsLoc, TdmMain &dm,
                              const StoredConnectionString &stored);

} // namespace tarnwick
