-- The access-control database on SQL Server: the tables, the view and the columns the program
-- reads or writes, with the indexes its two statements need. The installation database is
-- created by the access-control system itself; this script builds the same objects in a
-- SCRATCH database for tests. It first drops these objects when they exist, so never run it
-- against the installation database.
--
-- Batches are separated by lines holding only GO (CREATE VIEW must open its batch): run it with
-- sqlcmd, or split it at those lines and send each batch on its own.
--
-- Texts compare under the database default collation (case-insensitive in a default
-- installation; trailing blanks are ignored in comparisons). Names of people, departments,
-- doors and zones are nvarchar, because the Serbian letters are not all in the Latin-1 code page.
--
-- Comments in the SQL texts use no quotes, brackets or question marks and no colon before a
-- letter or digit: the placeholder parser of the Qt SQL module does not skip comments.

IF OBJECT_ID(N'dbo.viewMediaIDActive', N'V') IS NOT NULL DROP VIEW dbo.viewMediaIDActive;
IF OBJECT_ID(N'dbo.tblPorvik', N'U') IS NOT NULL DROP TABLE dbo.tblPorvik;
IF OBJECT_ID(N'dbo.tblReg', N'U') IS NOT NULL DROP TABLE dbo.tblReg;
IF OBJECT_ID(N'dbo.tblNonIDEvents2', N'U') IS NOT NULL DROP TABLE dbo.tblNonIDEvents2;
IF OBJECT_ID(N'dbo.tblNonIDEvents', N'U') IS NOT NULL DROP TABLE dbo.tblNonIDEvents;
IF OBJECT_ID(N'dbo.tblZoneVrata', N'U') IS NOT NULL DROP TABLE dbo.tblZoneVrata;
IF OBJECT_ID(N'dbo.tblZone', N'U') IS NOT NULL DROP TABLE dbo.tblZone;
IF OBJECT_ID(N'dbo.tblDoorsDetTime', N'U') IS NOT NULL DROP TABLE dbo.tblDoorsDetTime;
IF OBJECT_ID(N'dbo.tblDoorsDet', N'U') IS NOT NULL DROP TABLE dbo.tblDoorsDet;
IF OBJECT_ID(N'dbo.LogickaAktivnost', N'U') IS NOT NULL DROP TABLE dbo.LogickaAktivnost;
IF OBJECT_ID(N'dbo.tblDoors', N'U') IS NOT NULL DROP TABLE dbo.tblDoors;
IF OBJECT_ID(N'dbo.TerminalHACT', N'U') IS NOT NULL DROP TABLE dbo.TerminalHACT;
IF OBJECT_ID(N'dbo.Terminal', N'U') IS NOT NULL DROP TABLE dbo.Terminal;
IF OBJECT_ID(N'dbo.MediaID', N'U') IS NOT NULL DROP TABLE dbo.MediaID;
IF OBJECT_ID(N'dbo.Zaposleni', N'U') IS NOT NULL DROP TABLE dbo.Zaposleni;
IF OBJECT_ID(N'dbo.Sektor', N'U') IS NOT NULL DROP TABLE dbo.Sektor;
GO

-- People and cards

CREATE TABLE dbo.Sektor (
    IDSektora    int NOT NULL CONSTRAINT PK_Sektor PRIMARY KEY,
    NazivSektora nvarchar(100) NOT NULL
);

CREATE TABLE dbo.Zaposleni (
    IDZaposlenog varchar(50) NOT NULL CONSTRAINT PK_Zaposleni PRIMARY KEY,
    Prezime      nvarchar(50) NOT NULL,
    Ime          nvarchar(50) NOT NULL,
    IDSektora    int NULL CONSTRAINT FK_Zaposleni_Sektor REFERENCES dbo.Sektor (IDSektora),
    Fotografija  varbinary(max) NULL -- JPEG data, null when the employee has no photo
);
CREATE INDEX IX_Zaposleni_Sektor ON dbo.Zaposleni (IDSektora);

-- The cards (media). A card is in force on a day when it is not withdrawn (Aktivna is 1) and the
-- day lies between VaziOd and VaziDo, both included; a null VaziDo means no end. A card that is
-- not in force, or whose holder is not in Zaposleni, is not in viewMediaIDActive, so its
-- registrations show no person.
-- MatchKey is the card match of both statements: of the trimmed card number its last ten
-- characters, of those the first eight. Indexed, so the optimizer can seek the expression of
-- the statements, which it matches to this computed column.
CREATE TABLE dbo.MediaID (
    IDMedia      int IDENTITY(1, 1) NOT NULL CONSTRAINT PK_MediaID PRIMARY KEY,
    IDNo         varchar(20) NOT NULL,
    IDZaposlenog varchar(50) NOT NULL, -- may name someone no longer in Zaposleni
    VaziOd       date NOT NULL,
    VaziDo       date NULL,
    Aktivna      bit NOT NULL CONSTRAINT DF_MediaID_Aktivna DEFAULT 1,
    MatchKey     AS left(right(ltrim(rtrim(IDNo)), 10), 8) PERSISTED
);
CREATE INDEX IX_MediaID_MatchKey ON dbo.MediaID (MatchKey)
    INCLUDE (IDNo, IDZaposlenog, VaziOd, VaziDo, Aktivna);
CREATE INDEX IX_MediaID_Zaposleni ON dbo.MediaID (IDZaposlenog);
GO

-- Cards in force today, with their holder.
CREATE VIEW dbo.viewMediaIDActive AS
SELECT MediaID.IDNo, MediaID.IDZaposlenog, Zaposleni.Prezime, Zaposleni.Ime
FROM dbo.MediaID
JOIN dbo.Zaposleni ON Zaposleni.IDZaposlenog = MediaID.IDZaposlenog
WHERE MediaID.Aktivna = 1
  AND MediaID.VaziOd <= CAST(GETDATE() AS date)
  AND (MediaID.VaziDo IS NULL OR MediaID.VaziDo >= CAST(GETDATE() AS date));
GO

-- Controllers, events and doors

CREATE TABLE dbo.Terminal (
    IDTerminala   int NOT NULL CONSTRAINT PK_Terminal PRIMARY KEY,
    OpisTerminala nvarchar(30) NOT NULL
);

CREATE TABLE dbo.TerminalHACT (
    IDHACT   int NOT NULL CONSTRAINT PK_TerminalHACT PRIMARY KEY,
    OpisHACT nvarchar(20) NOT NULL
);

CREATE TABLE dbo.tblDoors (
    IDVrata    varchar(50) NOT NULL CONSTRAINT PK_tblDoors PRIMARY KEY,
    NazivVrata nvarchar(100) NOT NULL
);

-- Which door a controller and event code stand for, from VaziOd until the next VaziOd of the
-- same controller and code.
CREATE TABLE dbo.tblDoorsDet (
    UID         int NOT NULL CONSTRAINT PK_tblDoorsDet PRIMARY KEY,
    IDTerminala int NOT NULL,
    IDHACT      int NOT NULL,
    VaziOd      datetime NOT NULL,
    IDVrata     varchar(50) NOT NULL CONSTRAINT FK_tblDoorsDet_tblDoors REFERENCES dbo.tblDoors (IDVrata)
);
-- The assignment in force: equal controller and code, greatest VaziOd not after the registration.
CREATE UNIQUE INDEX IX_tblDoorsDet_InForce ON dbo.tblDoorsDet (IDTerminala, IDHACT, VaziOd)
    INCLUDE (IDVrata);

CREATE TABLE dbo.LogickaAktivnost (
    IdLogickeAktivnosti varchar(10) NOT NULL CONSTRAINT PK_LogickaAktivnost PRIMARY KEY,
    OpisLogAkt          nvarchar(50) NOT NULL
);

CREATE TABLE dbo.tblDoorsDetTime (
    FKUID               int NOT NULL CONSTRAINT FK_tblDoorsDetTime_tblDoorsDet REFERENCES dbo.tblDoorsDet (UID),
    IDLogickeAktivnosti varchar(10) NULL
                        CONSTRAINT FK_tblDoorsDetTime_LogickaAktivnost REFERENCES dbo.LogickaAktivnost (IdLogickeAktivnosti)
);
CREATE INDEX IX_tblDoorsDetTime_FKUID ON dbo.tblDoorsDetTime (FKUID) INCLUDE (IDLogickeAktivnosti);

CREATE TABLE dbo.tblZone (
    IDZone    int NOT NULL CONSTRAINT PK_tblZone PRIMARY KEY,
    NazivZone nvarchar(100) NOT NULL
);

CREATE TABLE dbo.tblZoneVrata (
    IDVrata varchar(50) NOT NULL CONSTRAINT FK_tblZoneVrata_tblDoors REFERENCES dbo.tblDoors (IDVrata),
    IDZone  int NOT NULL CONSTRAINT FK_tblZoneVrata_tblZone REFERENCES dbo.tblZone (IDZone),
    CONSTRAINT PK_tblZoneVrata PRIMARY KEY (IDVrata, IDZone)
);

-- Names of non-identification events

-- REG1 controllers, event number as two hexadecimal digits.
CREATE TABLE dbo.tblNonIDEvents (
    TermID    int NOT NULL,
    EventID   varchar(2) NOT NULL,
    EventName nvarchar(100) NOT NULL,
    CONSTRAINT PK_tblNonIDEvents PRIMARY KEY (TermID, EventID)
);

-- REG2 controllers, event code in hexadecimal.
CREATE TABLE dbo.tblNonIDEvents2 (
    TermID    int NOT NULL,
    EventID   varchar(10) NOT NULL,
    EventName nvarchar(100) NOT NULL,
    CONSTRAINT PK_tblNonIDEvents2 PRIMARY KEY (TermID, EventID)
);

-- Stored registrations

CREATE TABLE dbo.tblReg (
    IDReg                        int IDENTITY(1, 1) NOT NULL CONSTRAINT PK_tblReg PRIMARY KEY,
    IDNo                         varchar(20) NOT NULL,
    TerminalskoVremeRegistracije datetime NOT NULL,
    IDHACT                       int NOT NULL,
    IDHACTHex                    varchar(10) NULL,
    RegType                      int NOT NULL,
    IDTerminala                  int NOT NULL,
    IDLogickeAktivnosti          varchar(10) NULL
);
-- The report range, in the order of the report.
CREATE INDEX IX_tblReg_Time ON dbo.tblReg (TerminalskoVremeRegistracije DESC, IDReg);

-- Communication services

CREATE TABLE dbo.tblPorvik (
    Computer nvarchar(100) NOT NULL,
    IPPort   int NOT NULL CONSTRAINT DF_tblPorvik_IPPort DEFAULT 15027,
    ComPort  int NOT NULL CONSTRAINT DF_tblPorvik_ComPort DEFAULT 1
);
GO
