-- The access-control database in SQLite: the tables, the view and the columns the program reads
-- or writes, with the indexes its two statements need. Executed on a new, empty database file
-- (the demo builder and the test fixtures do that); it drops nothing.
--
-- Conventions of this dialect
--
-- * Date-times are stored as text of the form 2024-03-05 14.07.09 (year, month, day, a blank,
--   hours, minutes, seconds; the two full stops of the time are colons in the stored text),
--   optionally followed by a fraction of a second (a full stop and digits); the CHECK
--   constraints keep every stored value in that form. Statements compare and sort them as
--   instants through julianday (exact to the millisecond), never as texts, so 14.07.09 and
--   14.07.09.000 are the same moment, as they are in SQL Server. The indexes on date-times are
--   indexes on that julianday expression, and statements must spell it the same way.
-- * Card validity dates are stored as text YYYY-MM-DD.
-- * Identifiers that statements compare (card numbers, employees, doors, logical activities,
--   event numbers in hexadecimal) are declared COLLATE NOCASE: the installation database on SQL
--   Server compares them under its default case-insensitive collation, and the same data must
--   give the same rows here. Compared texts are stored without trailing blanks (SQL Server
--   ignores trailing blanks when it compares, SQLite does not); card numbers are trimmed by the
--   statements themselves.
-- * Declared types carry the widths the program reads the columns with; SQLite does not enforce
--   them.
--
-- Comments in the SQL texts use no quotes, brackets or question marks and no colon before a
-- letter or digit: the placeholder parser of the Qt SQL module does not skip comments.

-- People and cards ---------------------------------------------------------------------------

CREATE TABLE Sektor (
    IDSektora    integer PRIMARY KEY,
    NazivSektora varchar(100) NOT NULL
);

CREATE TABLE Zaposleni (
    IDZaposlenog varchar(50) NOT NULL COLLATE NOCASE PRIMARY KEY,
    Prezime      varchar(50) NOT NULL,
    Ime          varchar(50) NOT NULL,
    IDSektora    integer REFERENCES Sektor (IDSektora),
    Fotografija  blob -- JPEG data, null when the employee has no photo
);
CREATE INDEX ixZaposleniSektor ON Zaposleni (IDSektora);

-- The cards (media). A card is in force on a day when it is not withdrawn (Aktivna is 1) and the
-- day lies between VaziOd and VaziDo, both included; a null VaziDo means no end. A card that is
-- not in force, or whose holder is not in Zaposleni, is not in viewMediaIDActive, so its
-- registrations show no person.
CREATE TABLE MediaID (
    IDMedia      integer PRIMARY KEY,
    IDNo         varchar(20) NOT NULL COLLATE NOCASE,
    IDZaposlenog varchar(50) NOT NULL COLLATE NOCASE, -- may name someone no longer in Zaposleni
    VaziOd       text NOT NULL CHECK (VaziOd GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'),
    VaziDo       text CHECK (VaziDo GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'),
    Aktivna      integer NOT NULL DEFAULT 1 CHECK (Aktivna IN (0, 1))
);
-- The card match of both statements: of the trimmed card number its last ten characters, of
-- those the first eight, compared without regard to case. The statements must spell the
-- expression exactly like this for the planner to use the index.
CREATE INDEX ixMediaIDMatch ON MediaID (substr(substr(trim(IDNo), -10), 1, 8) COLLATE NOCASE);
CREATE INDEX ixMediaIDZaposleni ON MediaID (IDZaposlenog);

-- Cards in force today, with their holder. Where the card number to match comes from another
-- table (the report), the statement inlines this definition: a view on the right of an outer
-- join is computed whole and then searched once per row, without ixMediaIDMatch. Keep such
-- statements in step with it.
CREATE VIEW viewMediaIDActive AS
SELECT MediaID.IDNo, MediaID.IDZaposlenog, Zaposleni.Prezime, Zaposleni.Ime
FROM MediaID
JOIN Zaposleni ON Zaposleni.IDZaposlenog = MediaID.IDZaposlenog
WHERE MediaID.Aktivna = 1
  AND MediaID.VaziOd <= date('now', 'localtime')
  AND (MediaID.VaziDo IS NULL OR MediaID.VaziDo >= date('now', 'localtime'));

-- Controllers, events and doors --------------------------------------------------------------

CREATE TABLE Terminal (
    IDTerminala   integer PRIMARY KEY,
    OpisTerminala varchar(30) NOT NULL
);

CREATE TABLE TerminalHACT (
    IDHACT   integer PRIMARY KEY,
    OpisHACT varchar(20) NOT NULL
);

CREATE TABLE tblDoors (
    IDVrata    varchar(50) NOT NULL COLLATE NOCASE PRIMARY KEY,
    NazivVrata varchar(100) NOT NULL
);

-- Which door a controller and event code stand for, from VaziOd until the next VaziOd of the
-- same controller and code.
CREATE TABLE tblDoorsDet (
    UID         integer PRIMARY KEY,
    IDTerminala integer NOT NULL,
    IDHACT      integer NOT NULL,
    VaziOd      text NOT NULL CHECK (
        julianday(VaziOd) IS NOT NULL
        AND (VaziOd GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]'
             OR (VaziOd GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9].[0-9]*'
                 AND NOT substr(VaziOd, 21) GLOB '*[^0-9]*'))),
    IDVrata     varchar(50) NOT NULL COLLATE NOCASE REFERENCES tblDoors (IDVrata)
);
-- The assignment in force: equal controller and code, greatest VaziOd not after the registration.
-- Two assignments of one controller and code cannot start at the same moment.
CREATE UNIQUE INDEX ixDoorsDetInForce ON tblDoorsDet (IDTerminala, IDHACT, julianday(VaziOd));

CREATE TABLE LogickaAktivnost (
    IdLogickeAktivnosti varchar(10) NOT NULL COLLATE NOCASE PRIMARY KEY,
    OpisLogAkt          varchar(50) NOT NULL
);

CREATE TABLE tblDoorsDetTime (
    FKUID               integer NOT NULL REFERENCES tblDoorsDet (UID),
    IDLogickeAktivnosti varchar(10) COLLATE NOCASE REFERENCES LogickaAktivnost (IdLogickeAktivnosti)
);
CREATE INDEX ixDoorsDetTimeFKUID ON tblDoorsDetTime (FKUID);

CREATE TABLE tblZone (
    IDZone    integer PRIMARY KEY,
    NazivZone varchar(100) NOT NULL
);

CREATE TABLE tblZoneVrata (
    IDVrata varchar(50) NOT NULL COLLATE NOCASE REFERENCES tblDoors (IDVrata),
    IDZone  integer NOT NULL REFERENCES tblZone (IDZone),
    PRIMARY KEY (IDVrata, IDZone)
);

-- Names of non-identification events ---------------------------------------------------------

-- REG1 controllers, event number as two hexadecimal digits.
CREATE TABLE tblNonIDEvents (
    TermID    integer NOT NULL,
    EventID   varchar(2) NOT NULL COLLATE NOCASE,
    EventName varchar(100) NOT NULL,
    PRIMARY KEY (TermID, EventID)
);

-- REG2 controllers, event code in hexadecimal.
CREATE TABLE tblNonIDEvents2 (
    TermID    integer NOT NULL,
    EventID   varchar(10) NOT NULL COLLATE NOCASE,
    EventName varchar(100) NOT NULL,
    PRIMARY KEY (TermID, EventID)
);

-- Stored registrations -----------------------------------------------------------------------

CREATE TABLE tblReg (
    IDReg                        integer PRIMARY KEY,
    IDNo                         varchar(20) NOT NULL COLLATE NOCASE,
    TerminalskoVremeRegistracije text NOT NULL CHECK (
        julianday(TerminalskoVremeRegistracije) IS NOT NULL
        AND (TerminalskoVremeRegistracije GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]'
             OR (TerminalskoVremeRegistracije GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9].[0-9]*'
                 AND NOT substr(TerminalskoVremeRegistracije, 21) GLOB '*[^0-9]*'))),
    IDHACT                       integer NOT NULL,
    IDHACTHex                    varchar(10) COLLATE NOCASE,
    RegType                      integer NOT NULL,
    IDTerminala                  integer NOT NULL,
    IDLogickeAktivnosti          varchar(10) COLLATE NOCASE
);
-- The report range. Descending, so that a forward walk yields the report order (time
-- descending, then IDReg, which every index carries ascending after its own columns) without a
-- sort.
CREATE INDEX ixRegTime ON tblReg (julianday(TerminalskoVremeRegistracije) DESC);

-- Communication services ---------------------------------------------------------------------

CREATE TABLE tblPorvik (
    Computer varchar(100) NOT NULL,
    IPPort   integer NOT NULL DEFAULT 15027,
    ComPort  integer NOT NULL DEFAULT 1
);
