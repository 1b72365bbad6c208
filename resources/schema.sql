-- The template database: four tables, 25 columns. Declared types name the stored kind that the
-- data layer reads back:
--   INTEGER PRIMARY KEY AUTOINCREMENT  AutoNumber (ids are never reused)
--   INTEGER / SMALLINT                 32-bit / 16-bit whole numbers
--   CURRENCY                           money, a 64-bit integer of ten-thousandths
--   DATETIME                           ISO text yyyy-mm-dd
--   YESNO                              0 or 1
--   VARCHAR(n)                         text of at most n characters
--   LONGTEXT                           memo text
-- Text compares and sorts case- and accent-insensitively (collation JETTEXT).

CREATE TABLE Transactions (
  TrRowId       INTEGER PRIMARY KEY AUTOINCREMENT,
  TrDbId        INTEGER DEFAULT 0,
  TrType        SMALLINT DEFAULT 0,
  TrDone        YESNO NOT NULL DEFAULT 0,
  TrDate        DATETIME,
  TrDescription VARCHAR(255) COLLATE JETTEXT,
  TrNotes       LONGTEXT COLLATE JETTEXT,
  TrAcId        INTEGER DEFAULT 0,
  TrValue       CURRENCY DEFAULT 0,
  TrBalance     CURRENCY DEFAULT 0,
  TrGrpType     VARCHAR(1) COLLATE JETTEXT DEFAULT 'n',
  TrGrpRow      SMALLINT DEFAULT 0,
  TrGrpMDay     SMALLINT DEFAULT 0,
  TrGrpId       INTEGER DEFAULT 0,
  TrAlertDays   SMALLINT DEFAULT 0,
  TrCountId     INTEGER DEFAULT 0,
  TrAttached    VARCHAR(255) COLLATE JETTEXT,
  IsPN          YESNO NOT NULL DEFAULT 0
);
-- Listings read nearly all rows of a data sheet: they scan the table (no index starts with TrDbId, which
-- every listing fixes: without statistics the engine would read every row through such an index, slower
-- than the scan). Date ranges (calendar, side list, period filters) take the day index, which also holds
-- what the calendar tests, so its counts need no row; series are found by their id. The program adds the
-- indexes of this template that a database made from an older one lacks.
CREATE INDEX TransactionsByDay ON Transactions (TrDate, TrDbId, TrDone, IsPN, TrType);
CREATE INDEX TransactionsByGroup ON Transactions (TrGrpId);

CREATE TABLE Accounts (
  AcId    INTEGER PRIMARY KEY AUTOINCREMENT,
  AcName  VARCHAR(100) COLLATE JETTEXT NOT NULL,
  AcNotes LONGTEXT COLLATE JETTEXT
);

CREATE TABLE Counts (
  CnId   INTEGER PRIMARY KEY AUTOINCREMENT,
  CnName VARCHAR(50) COLLATE JETTEXT
);

CREATE TABLE Dbs (
  DbId   INTEGER PRIMARY KEY NOT NULL,
  DbName VARCHAR(50) COLLATE JETTEXT
);

INSERT INTO Dbs (DbId, DbName) VALUES (1, 'Orvel');
