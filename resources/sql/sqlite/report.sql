-- qryRepTW in SQLite: the stored registrations between two bounds, newest first, with card
-- holder, door in force, zone, department, logical activity and event names. It gives the rows
-- of the T-SQL text for the same data.
--
-- Parameters pDTStart and pDTStop are texts of the form yyyy-mm-dd hh.nn with a colon for the
-- full stop. Both bounds are included, and a bound is the first instant of its minute, so a stop
-- of 23.59 takes a registration at 23.59.00 and not one at 23.59.30. Each parameter is named
-- once only (the params row), so that any binding of named placeholders works. A bound that is
-- not a date-time gives no rows, where SQL Server reports a conversion error.
--
-- Date-times are compared, matched and sorted as instants through julianday, spelt as in the
-- indexes ixRegTime and ixDoorsDetInForce so that the planner searches them; the order needs no
-- sort, ixRegTime yields it.
--
-- The card match compares without regard to case, as SQL Server does under its default
-- collation; both sides are trimmed, so trailing blanks play no part. It is written exactly
-- like the expression of ixMediaIDMatch so that the planner searches that index.
--
-- viewMediaIDActive is inlined. On the right of an outer join the view would be computed whole
-- and searched once for every registration, without ixMediaIDMatch. The inlined form keeps the
-- rows of the view: a card in force joined with its holder, where a card whose holder is not in
-- Zaposleni matches nothing (the EXISTS test stands for the inner join of the view).
--
-- The joins follow the order of the T-SQL text. The door assignment in force is the one of the
-- same controller and code with the greatest VaziOd not later than the registration.
WITH params (pStart, pStop) AS (
    SELECT :pDTStart, :pDTStop
)
SELECT
    trim(tblReg.IDNo) AS MediaID,
    tblReg.TerminalskoVremeRegistracije,
    tblReg.IDHACT AS EventID,
    CASE
        WHEN tblReg.RegType = 0 THEN TerminalHACT.OpisHACT
        WHEN tblReg.RegType = 1 THEN tblReg.IDHACTHex
        ELSE ''
    END AS EventName,
    tblReg.IDTerminala AS TermID,
    Terminal.OpisTerminala AS TermName,
    tblDoors.IDVrata AS DoorID,
    tblDoors.NazivVrata AS DoorName,
    CASE
        WHEN tblReg.RegType = 0 AND tblReg.IDHACT = 15 THEN substr(trim(tblReg.IDNo), -2)
        WHEN tblReg.RegType = 1 AND tblReg.IDHACT >= 128 THEN tblReg.IDHACTHex
        ELSE tblReg.IDLogickeAktivnosti
    END AS LogActID,
    LogickaAktivnost.OpisLogAkt AS LogActName,
    activeMedia.IDZaposlenog AS EmpID,
    activeHolder.Prezime AS LastName,
    activeHolder.Ime AS FirstName,
    tblReg.RegType,
    CASE
        WHEN tblReg.RegType = 0 AND tblReg.IDHACT = 15 THEN 1
        WHEN tblReg.RegType = 1 AND tblReg.IDHACT BETWEEN 128 AND 177 THEN 1
        ELSE 0
    END AS NonID,
    CASE
        WHEN tblReg.RegType = 0 AND tblReg.IDHACT = 15 THEN substr(trim(tblReg.IDNo), -2)
        WHEN tblReg.RegType = 1 AND tblReg.IDHACT BETWEEN 128 AND 177 THEN tblReg.IDHACTHex
    END AS NonIDCode,
    CASE
        WHEN tblReg.RegType = 0 AND tblReg.IDHACT = 15 THEN tblNonIDEvents.EventName
        WHEN tblReg.RegType = 1 AND tblReg.IDHACT BETWEEN 128 AND 177 THEN tblNonIDEvents2.EventName
    END AS EventDescription,
    Zaposleni.Fotografija AS Photo,
    Sektor.NazivSektora,
    tblZone.NazivZone
FROM tblReg
LEFT JOIN MediaID AS activeMedia
    ON substr(substr(trim(activeMedia.IDNo), -10), 1, 8) = trim(tblReg.IDNo) COLLATE NOCASE
    AND activeMedia.Aktivna = 1
    AND activeMedia.VaziOd <= date('now', 'localtime')
    AND (activeMedia.VaziDo IS NULL OR activeMedia.VaziDo >= date('now', 'localtime'))
    AND EXISTS (SELECT 1 FROM Zaposleni AS holder
                WHERE holder.IDZaposlenog = activeMedia.IDZaposlenog)
LEFT JOIN Zaposleni AS activeHolder
    ON activeHolder.IDZaposlenog = activeMedia.IDZaposlenog
LEFT JOIN LogickaAktivnost
    ON LogickaAktivnost.IdLogickeAktivnosti = tblReg.IDLogickeAktivnosti
LEFT JOIN Terminal
    ON Terminal.IDTerminala = tblReg.IDTerminala
LEFT JOIN TerminalHACT
    ON TerminalHACT.IDHACT = tblReg.IDHACT
LEFT JOIN tblDoorsDet
    ON tblDoorsDet.IDTerminala = tblReg.IDTerminala
    AND tblDoorsDet.IDHACT = tblReg.IDHACT
    AND julianday(tblDoorsDet.VaziOd) = (
        SELECT max(julianday(inForce.VaziOd))
        FROM tblDoorsDet AS inForce
        WHERE inForce.IDTerminala = tblReg.IDTerminala
          AND inForce.IDHACT = tblReg.IDHACT
          AND julianday(inForce.VaziOd) <= julianday(tblReg.TerminalskoVremeRegistracije))
LEFT JOIN tblDoors
    ON tblDoors.IDVrata = tblDoorsDet.IDVrata
LEFT JOIN tblNonIDEvents
    ON tblNonIDEvents.TermID = tblReg.IDTerminala
    AND tblNonIDEvents.EventID = substr(trim(tblReg.IDNo), -2)
LEFT JOIN tblNonIDEvents2
    ON tblNonIDEvents2.TermID = tblReg.IDTerminala
    AND tblNonIDEvents2.EventID = tblReg.IDHACTHex
LEFT JOIN Zaposleni
    ON Zaposleni.IDZaposlenog = activeMedia.IDZaposlenog
LEFT JOIN Sektor
    ON Sektor.IDSektora = Zaposleni.IDSektora
LEFT JOIN tblZoneVrata
    ON tblZoneVrata.IDVrata = tblDoors.IDVrata
LEFT JOIN tblZone
    ON tblZone.IDZone = tblZoneVrata.IDZone
WHERE julianday(tblReg.TerminalskoVremeRegistracije)
      BETWEEN (SELECT julianday(pStart) FROM params) AND (SELECT julianday(pStop) FROM params)
ORDER BY julianday(tblReg.TerminalskoVremeRegistracije) DESC, tblReg.IDReg
