-- Schema of the template database (version 1.83). Filled in by the data-access work.
CREATE TABLE OBJECT_VAL_STR (Id INTEGER PRIMARY KEY AUTOINCREMENT, ID_CLASS long, ID_ATTRIBUTE long, USERID long, "VALUE" text(255));
INSERT INTO OBJECT_VAL_STR (ID_CLASS, ID_ATTRIBUTE, USERID, "VALUE") VALUES (-99, -99, -99, '1.83');
