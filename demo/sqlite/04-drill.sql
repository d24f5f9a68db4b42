-- SPDX-FileCopyrightText: 2026 Vondrel authors
-- SPDX-License-Identifier: MIT
--
-- Drill-down in the demo (SQLite): a double click on a customer of 销售汇总 opens 销售日报 for that
-- customer over the same period, and "返回" goes back to 销售汇总 with the period it had. Reached that
-- way, both reports fetch through stored procedures; their bodies are the reports' own statements, so
-- the rows are those the plug-in shows. Runs after 03-reports.sql, which empties the link table.
-- Keep in step with ../postgres/04-drill.sql.

INSERT INTO qv_rptdetail (qrptparentid, qrptchildid, qrptpara) VALUES (1, 2, 'fcustname/客户:fcustname');
UPDATE qv_report SET qstoreproc = 'sp_xs_summary' WHERE qid = 1;
UPDATE qv_report SET qstoreproc = 'sp_xs_daily' WHERE qid = 2;

CREATE TABLE IF NOT EXISTS vondrel_procedures (
    name   TEXT PRIMARY KEY,
    params TEXT,
    body   TEXT
);
DELETE FROM vondrel_procedures WHERE name IN ('sp_xs_summary', 'sp_xs_daily');
-- The window passes every value as text; the region is compared as a number only when told.
INSERT INTO vondrel_procedures (name, params, body)
SELECT 'sp_xs_summary', 'fdatefrom DATE, fdateto DATE, fregionid INTEGER',
       replace(qsql, ':fregionid', 'CAST(:fregionid AS INTEGER)')
FROM qv_sqlreport WHERE qid = 1;
INSERT INTO vondrel_procedures (name, params, body)
SELECT 'sp_xs_daily', 'fdatefrom DATE, fdateto DATE, fcustomer VARCHAR(40)', qsql
FROM qv_sqlreport WHERE qid = 2;
