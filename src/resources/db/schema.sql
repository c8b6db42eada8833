-- Schema of the template database, version 1.83.
--
-- Declared types, one per kind of column, chosen so that SQLite's column affinity never
-- alters a stored value and the type test of the upgrade scripts can classify each column:
--   counter  INTEGER PRIMARY KEY AUTOINCREMENT     short    SMALLINT
--   long     INTEGER                               double   DOUBLE
--   yes/no   YESNO (0 or 1)                        date     DATETIME ("yyyy-MM-dd hh:mm:ss")
--   text(n)  TEXT(n) COLLATE NOCASE                memo     LONGTEXT COLLATE NOCASE
--   blob     BLOB (the bytes of a picture file)
--
-- Our connections replace NOCASE with a French, accent-aware comparison. No index is built
-- on a NOCASE text column: the sqlite3 tool folds ASCII only and would disagree with it.
--
-- SQLite reads a row's columns in stored order, so ITEMS keeps the columns of the list
-- queries first and its memos and pictures last.

CREATE TABLE ITEMS (
  Id INTEGER PRIMARY KEY AUTOINCREMENT,
  Id_File SMALLINT,
  Sel YESNO DEFAULT 0,
  Quantity INTEGER DEFAULT 0,
  Title TEXT(128) COLLATE NOCASE,
  Mark TEXT(128) COLLATE NOCASE,
  Stock_Min INTEGER,
  Stock_Max INTEGER,
  Stock INTEGER,
  Price01 DOUBLE,
  Price02 DOUBLE,
  Price03 DOUBLE,
  Reference TEXT(128) COLLATE NOCASE,
  Comment1 TEXT(128) COLLATE NOCASE,
  Custom00144243 TEXT(128) COLLATE NOCASE,
  Misc01 TEXT(128) COLLATE NOCASE,
  Misc02 TEXT(128) COLLATE NOCASE,
  Misc03 TEXT(128) COLLATE NOCASE,
  Misc04 TEXT(128) COLLATE NOCASE,
  Misc05 TEXT(128) COLLATE NOCASE,
  Misc06 TEXT(128) COLLATE NOCASE,
  Misc07 TEXT(128) COLLATE NOCASE,
  Misc08 TEXT(128) COLLATE NOCASE,
  Misc09 TEXT(128) COLLATE NOCASE,
  Misc10 TEXT(128) COLLATE NOCASE,
  Misc11 LONGTEXT COLLATE NOCASE,
  Misc12 LONGTEXT COLLATE NOCASE,
  Img1 BLOB,
  Img2 BLOB,
  Img3 BLOB,
  Img4 BLOB,
  ImgMini1 BLOB,
  ImgMini2 BLOB,
  ImgMini3 BLOB,
  ImgMini4 BLOB
);
-- The list view, the printed list and the validation read Id, Sel, Quantity, Stock, Title,
-- Mark and the prices of one list file in title order after every tick, and the catalogue
-- grids read those, the stock limits and the reference: this index holds all of them, so
-- those reads never touch the wide rows (half the time on 10,000 products, two thirds of the
-- grids' on 100,000). Texts are copied with the binary comparison, which every SQLite tool
-- shares.
CREATE INDEX ITEMS_List ON ITEMS (Id_File, Title COLLATE BINARY, Mark COLLATE BINARY,
  Sel, Quantity, Stock, Price01, Price02, Price03, Stock_Min, Stock_Max, Reference COLLATE BINARY);
-- The ticked rows alone, keyed as ITEMS_List: after a tick the list is rebuilt from these few
-- entries, read in the order of ITEMS_List and sorted in memory by our comparison (a stable
-- sort, as the engine's), at the cost of the ticked rows whatever the size of the catalogue.
CREATE INDEX ITEMS_Sel ON ITEMS (Id_File, Title COLLATE BINARY, Mark COLLATE BINARY,
  Sel, Quantity, Stock, Price01, Price02, Price03, Stock_Min, Stock_Max, Reference COLLATE BINARY) WHERE Sel<>0;

CREATE TABLE CUSTOMLAB (
  Id_File SMALLINT,
  Price01 TEXT(128) COLLATE NOCASE,
  Price02 TEXT(128) COLLATE NOCASE,
  Price03 TEXT(128) COLLATE NOCASE,
  Price04 TEXT(128) COLLATE NOCASE,
  Price05 TEXT(128) COLLATE NOCASE,
  Price06 TEXT(128) COLLATE NOCASE,
  Price07 TEXT(128) COLLATE NOCASE,
  Price08 TEXT(128) COLLATE NOCASE,
  Price09 TEXT(128) COLLATE NOCASE,
  Price10 TEXT(128) COLLATE NOCASE
);

CREATE TABLE FORMATLIST (
  Id INTEGER PRIMARY KEY AUTOINCREMENT,
  Id_File SMALLINT,
  PageWidth DOUBLE,
  PageHeight DOUBLE,
  TopLine DOUBLE,
  LeftItem DOUBLE,
  LeftPrice DOUBLE,
  InterLines DOUBLE,
  FontName TEXT(128) COLLATE NOCASE,
  FontSize SMALLINT,
  PrinterTop DOUBLE,
  PrinterLeft DOUBLE
);

-- The maintenance history: rows are appended and purged all at once; no key column.
CREATE TABLE BACKUP (
  DateSav DATETIME,
  TimeSav TEXT(5) COLLATE NOCASE,
  Description TEXT(128) COLLATE NOCASE,
  Path TEXT(255) COLLATE NOCASE
);

-- The object store: names mapped to keys, values addressed by (USERID, ID_CLASS, ID_ATTRIBUTE).
CREATE TABLE OBJECT_CLASS (
  Id INTEGER PRIMARY KEY AUTOINCREMENT,
  Name TEXT(128) COLLATE NOCASE
);

CREATE TABLE OBJECT_ATTRIBUTE (
  Id INTEGER PRIMARY KEY AUTOINCREMENT,
  Name TEXT(128) COLLATE NOCASE,
  Type INTEGER
);

CREATE TABLE OBJECT_VAL_OLE (
  Id INTEGER PRIMARY KEY AUTOINCREMENT,
  ID_CLASS INTEGER,
  ID_ATTRIBUTE INTEGER,
  USERID INTEGER,
  Value BLOB
);

CREATE TABLE OBJECT_VAL_STR (
  Id INTEGER PRIMARY KEY AUTOINCREMENT,
  ID_CLASS INTEGER,
  ID_ATTRIBUTE INTEGER,
  USERID INTEGER,
  "VALUE" TEXT(255) COLLATE NOCASE
);

-- Stored statistics and query scripts: a tree of folders and leaves, and the text of each leaf.
CREATE TABLE STAT_TREE (
  Id INTEGER PRIMARY KEY AUTOINCREMENT,
  Id_File INTEGER,
  NodeTitle TEXT(255) COLLATE NOCASE,
  NodeLevel INTEGER,
  NodePos INTEGER,
  NodeType INTEGER
);

CREATE TABLE STAT_QUERY (
  Id INTEGER PRIMARY KEY AUTOINCREMENT,
  Id_Tree INTEGER,
  Query LONGTEXT COLLATE NOCASE
);

CREATE TABLE SQL_TREE (
  Id INTEGER PRIMARY KEY AUTOINCREMENT,
  Id_File INTEGER,
  NodeTitle TEXT(255) COLLATE NOCASE,
  NodeLevel INTEGER,
  NodePos INTEGER,
  NodeType INTEGER
);

CREATE TABLE SQL_QUERY (
  Id INTEGER PRIMARY KEY AUTOINCREMENT,
  Id_Tree INTEGER,
  Query LONGTEXT COLLATE NOCASE
);

-- The schema version of this database.
INSERT INTO OBJECT_VAL_STR (ID_CLASS, ID_ATTRIBUTE, USERID, "VALUE") VALUES (-99, -99, -99, '1.83');
