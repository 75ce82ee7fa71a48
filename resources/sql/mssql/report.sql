-- qryRepTW: the stored registrations between two bounds, newest first, with card holder, door
-- in force, zone, department, logical activity and event names.
--
-- Parameters pDTStart and pDTStop are texts of the form yyyy-mm-dd hh.nn with a colon for the
-- full stop. SQL Server converts them to datetime for the comparison, so the stop bound is the
-- first instant of its minute; both bounds are included. The server must read that form as
-- year, month, day (it does under the usual language settings; DATEFORMAT dmy would not).
DECLARE @DTStart varchar(50);
DECLARE @DTStop varchar(50);
SET @DTStart = :pDTStart;
SET @DTStop = :pDTStop;

SELECT
    ltrim(rtrim(tblReg.IDNo)) AS MediaID,
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
        WHEN tblReg.RegType = 0 AND tblReg.IDHACT = 15 THEN right(ltrim(rtrim(tblReg.IDNo)), 2)
        WHEN tblReg.RegType = 1 AND tblReg.IDHACT >= 128 THEN tblReg.IDHACTHex
        ELSE tblReg.IDLogickeAktivnosti
    END AS LogActID,
    LogickaAktivnost.OpisLogAkt AS LogActName,
    viewMediaIDActive.IDZaposlenog AS EmpID,
    viewMediaIDActive.Prezime AS LastName,
    viewMediaIDActive.Ime AS FirstName,
    tblReg.RegType,
    CASE
        WHEN tblReg.RegType = 0 AND tblReg.IDHACT = 15 THEN 1
        WHEN tblReg.RegType = 1 AND tblReg.IDHACT BETWEEN 128 AND 177 THEN 1
        ELSE 0
    END AS NonID,
    CASE
        WHEN tblReg.RegType = 0 AND tblReg.IDHACT = 15 THEN right(ltrim(rtrim(tblReg.IDNo)), 2)
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
LEFT OUTER JOIN viewMediaIDActive
    ON left(right(ltrim(rtrim(viewMediaIDActive.IDNo)), 10), 8) = ltrim(rtrim(tblReg.IDNo))
LEFT OUTER JOIN LogickaAktivnost
    ON LogickaAktivnost.IdLogickeAktivnosti = tblReg.IDLogickeAktivnosti
LEFT OUTER JOIN Terminal
    ON Terminal.IDTerminala = tblReg.IDTerminala
LEFT OUTER JOIN TerminalHACT
    ON TerminalHACT.IDHACT = tblReg.IDHACT
LEFT OUTER JOIN tblDoorsDet
    ON tblDoorsDet.IDTerminala = tblReg.IDTerminala
    AND tblDoorsDet.IDHACT = tblReg.IDHACT
    AND tblDoorsDet.VaziOd = (
        SELECT max(inForce.VaziOd)
        FROM tblDoorsDet AS inForce
        WHERE inForce.IDTerminala = tblReg.IDTerminala
          AND inForce.IDHACT = tblReg.IDHACT
          AND inForce.VaziOd <= tblReg.TerminalskoVremeRegistracije)
LEFT OUTER JOIN tblDoors
    ON tblDoors.IDVrata = tblDoorsDet.IDVrata
LEFT OUTER JOIN tblNonIDEvents
    ON tblNonIDEvents.TermID = tblReg.IDTerminala
    AND tblNonIDEvents.EventID = right(ltrim(rtrim(tblReg.IDNo)), 2)
LEFT OUTER JOIN tblNonIDEvents2
    ON tblNonIDEvents2.TermID = tblReg.IDTerminala
    AND tblNonIDEvents2.EventID = tblReg.IDHACTHex
LEFT OUTER JOIN Zaposleni
    ON Zaposleni.IDZaposlenog = viewMediaIDActive.IDZaposlenog
LEFT OUTER JOIN Sektor
    ON Sektor.IDSektora = Zaposleni.IDSektora
LEFT OUTER JOIN tblZoneVrata
    ON tblZoneVrata.IDVrata = tblDoors.IDVrata
LEFT OUTER JOIN tblZone
    ON tblZone.IDZone = tblZoneVrata.IDZone
WHERE tblReg.TerminalskoVremeRegistracije BETWEEN @DTStart AND @DTStop
ORDER BY tblReg.TerminalskoVremeRegistracije DESC, tblReg.IDReg;
