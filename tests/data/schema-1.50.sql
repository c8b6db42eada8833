-- A database of version 1.50: no quantity on the list, three price labels, no maintenance
-- history, only the version table of the object store, no stored scripts.
CREATE TABLE ITEMS (
  Id INTEGER PRIMARY KEY AUTOINCREMENT,
  Id_File SMALLINT,
  Sel YESNO DEFAULT 0,
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
  Img1 BLOB,
  Img2 BLOB,
  Img3 BLOB,
  Img4 BLOB
);

CREATE TABLE CUSTOMLAB (
  Id_File SMALLINT,
  Price01 TEXT(128) COLLATE NOCASE,
  Price02 TEXT(128) COLLATE NOCASE,
  Price03 TEXT(128) COLLATE NOCASE
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

CREATE TABLE OBJECT_VAL_STR (
  Id INTEGER PRIMARY KEY AUTOINCREMENT,
  ID_CLASS INTEGER,
  ID_ATTRIBUTE INTEGER,
  USERID INTEGER,
  "VALUE" TEXT(255) COLLATE NOCASE
);

INSERT INTO OBJECT_VAL_STR (ID_CLASS, ID_ATTRIBUTE, USERID, "VALUE") VALUES (-99, -99, -99, '1.50');
INSERT INTO CUSTOMLAB (Id_File, Price01, Price02, Price03) VALUES (-1, 'Marché', 'Épicerie', 'Grande surface');
INSERT INTO ITEMS (Id_File, Sel, Title, Mark, Stock_Min, Stock_Max, Stock, Price01, Price02, Price03)
  VALUES (-1, 1, 'Café moulu', 'Arabica', 1, 4, 2, 3.2, 3.5, 2.95);
INSERT INTO ITEMS (Id_File, Sel, Title, Mark, Stock_Min, Stock_Max, Stock, Price01, Price02, Price03)
  VALUES (-1, 0, 'Pâtes', NULL, 2, 10, 6, 1.1, 0.99, 0.85);
INSERT INTO ITEMS (Id_File, Sel, Title, Mark, Stock_Min, Stock_Max, Stock, Price01, Price02, Price03)
  VALUES (-1, 0, 'Lessive', 'Maison', 1, 2, 0, 8.5, 9.0, 7.75);
