-- A database as another SQLite tool may leave one: what Jet cannot hold.
-- The hostile tests open a copy (tests/CMakeLists.txt builds it with the
-- sqlite3 shell).
CREATE TABLE D(N INTEGER);
INSERT INTO D VALUES (0), (1), (2), (3), (4), (5), (6), (7), (8), (9);
-- 10^6 rows, 10^10 rows, and rows without end.
CREATE TABLE Big(ID INTEGER, NAME TEXT);
INSERT INTO Big SELECT a.N * 100000 + b.N * 10000 + c.N * 1000 + d.N * 100 + e.N * 10 + f.N, 'row'
  FROM D a, D b, D c, D d, D e, D f;
CREATE VIEW Huge AS SELECT a.N AS N FROM D a, D b, D c, D d, D e, D f, D g, D h, D i, D j;
CREATE VIEW Endless AS WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT x FROM c;
-- A trigger that counts Huge; two that fire each other.
CREATE TABLE Fill(N INTEGER);
CREATE TABLE Filled(N INTEGER);
CREATE TRIGGER Filling AFTER INSERT ON Fill BEGIN INSERT INTO Filled SELECT count(*) FROM Huge; END;
CREATE TABLE P(N INTEGER);
CREATE TABLE Q(N INTEGER);
CREATE TRIGGER PQ AFTER INSERT ON P BEGIN INSERT INTO Q VALUES (NEW.N + 1); END;
CREATE TRIGGER QP AFTER INSERT ON Q BEGIN INSERT INTO P VALUES (NEW.N + 1); END;
