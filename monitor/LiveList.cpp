#include "LiveList.h"

#include "DataGrid.h"
#include "RowColourRules.h"
#include "Styles.h"
#include "Translation.h"

namespace tarnwick {

QList<FieldDef> liveListFields()
{
    using T = FieldType;
    return {
        {QStringLiteral("MediaID"), T::Text, 50},
        {QStringLiteral("Date"), T::Text, 50},
        {QStringLiteral("Time"), T::Text, 50},
        {QStringLiteral("EventID"), T::Integer},
        {QStringLiteral("EventName"), T::Text, 50},
        {QStringLiteral("EventDescription"), T::Text, 100},
        {QStringLiteral("TermID"), T::Integer},
        {QStringLiteral("TermName"), T::Text, 50},
        {QStringLiteral("ComPort"), T::Integer},
        {QStringLiteral("RemoteComputerName"), T::Text, 100},
        {QStringLiteral("RemoteComputerIP"), T::Text, 50},
        {QStringLiteral("DoorID"), T::Text, 50},
        {QStringLiteral("DoorName"), T::Text, 100},
        {QStringLiteral("LogActID"), T::Text, 10},
        {QStringLiteral("LogActName"), T::Text, 50},
        {QStringLiteral("EmpID"), T::Text, 50},
        {QStringLiteral("LastName"), T::Text, 50},
        {QStringLiteral("FirstName"), T::Text, 50},
        {QStringLiteral("NonID"), T::Boolean},
        {QStringLiteral("NonIDCode"), T::Integer},
        {QStringLiteral("RegType"), T::Integer},
    };
}

QList<GridColumn> liveListColumns()
{
    using i18n::tr;
    auto c = [](const char *name, const char *field, const QString &caption, bool shown, int width = 0) {
        return GridColumn::make(QString::fromLatin1(name), QString::fromLatin1(field), caption, shown, width);
    };
    return {
        c("vwRegsMediaID", "MediaID", QString(), false, 64),
        c("vwRegsDate", "Date", tr("Datum"), true, 64),
        c("vwRegsTime", "Time", tr("Vreme"), true, 64),
        c("vwRegsEventID", "EventID", tr("ID događaja"), false, 64),
        c("vwRegsLastName", "LastName", tr("Prezime"), true, 80),
        c("vwRegsFirstName", "FirstName", tr("Ime"), true, 80),
        c("vwRegsEventName", "EventName", tr("Događaj"), false, 80),
        c("vwRegsTermID", "TermID", tr("ID kontrolera"), false, 64),
        c("vwRegsTermName", "TermName", tr("Kontroler"), false, 80),
        c("vwRegsComPort", "ComPort", tr("Com port"), false, 64),
        c("vwRegsRemoteComputerName", "RemoteComputerName", tr("Računar"), false, 140),
        c("vwRegsRemoteComputerIP", "RemoteComputerIP", tr("IP adresa"), false, 80),
        c("vwRegsLogActID", "LogActID", tr("ID aktivnosti"), false, 64),
        c("vwRegsLogActName", "LogActName", tr("Aktivnost"), true, 96),
        c("vwRegsDoorID", "DoorID", tr("ID vrata"), false, 64),
        c("vwRegsEventDescription", "EventDescription", tr("Opis aktivnosti"), true, 120),
        c("vwRegsDoorName", "DoorName", tr("Vrata"), true, 96),
        c("vwRegsEmpID", "EmpID", tr("ID zaposlenog"), false, 64),
        c("vwRegsNonID", "NonID", QString(), false),
        c("vwRegsNonIDCode", "NonIDCode", QString(), false),
        c("vwRegsRegType", "RegType", tr("Tip"), false),
    };
}

void setUpLiveListGrid(DataGrid &grid, const Styles &styles)
{
    grid.setViewName(QStringLiteral("vwRegs"));
    grid.setEditable(false);
    grid.setRowSelect(true);
    grid.setSortingEnabled(false);
    grid.setFilteringEnabled(true);
    grid.setColumnHidingEnabled(true);
    grid.setGroupingEnabled(false);
    grid.setGroupPanelVisible(false);
    grid.setColumns(liveListColumns());
    grid.setContentStyleCallback([&grid, &styles](int row) -> std::optional<QColor> {
        return styles.classColour(liveRowColourClass(
            grid.value(row, QStringLiteral("vwRegsNonID")), grid.value(row, QStringLiteral("vwRegsRegType")),
            grid.value(row, QStringLiteral("vwRegsNonIDCode")), grid.value(row, QStringLiteral("vwRegsEmpID"))));
    });
}

} // namespace tarnwick
