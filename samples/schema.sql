-- The sample table of both sample databases: a key, plain columns and two
-- BLOB columns (text and binary), so that a comparison shows every kind of
-- statement the comparer writes.
CREATE TABLE PRODUCTS (
    ID         INTEGER NOT NULL PRIMARY KEY,
    NAME       VARCHAR(40) NOT NULL,
    PRICE      NUMERIC(10, 2),
    CHANGED_AT TIMESTAMP,
    NOTES      BLOB SUB_TYPE TEXT,
    PICTURE    BLOB SUB_TYPE BINARY
);
COMMIT;
