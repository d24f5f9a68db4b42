-- SPDX-FileCopyrightText: 2026 Vondrel authors
-- SPDX-License-Identifier: MIT
--
-- The demo's reports (PostgreSQL): catalogue rows, their Vondrel.SqlReport definitions and parameters,
-- the variable-column procedure and the variable columns it made for user 1.
-- Written by ../make_sql.py, which writes ../sqlite/03-reports.sql from the same description: edit there
-- and run it. Only date and month arithmetic and the procedure's form differ between the two.

DELETE FROM qv_rptgrp;
DELETE FROM qv_report;
DELETE FROM qv_rptdetail;
DELETE FROM qv_rptpara;
DELETE FROM qv_sqlreport;
DELETE FROM qv_sqlreportpara;
DELETE FROM QV_RptChangeColFormat;

INSERT INTO qv_rptgrp (qrptgrpid, qrptgrpname) VALUES
    (1, '销售报表'),
    (2, '财务报表');

-- 销售汇总 (1) is the demo's main report. 客户往来账 (3) and 客户对账单 (4) share a template and
-- step through the same master list of customers: 3 lets the window move through it, 4 moves
-- through the plug-in.
INSERT INTO qv_report (qid, qrptname, qrptgrpid, qfmtfilename, qheadheight, qclsname,
                       qstoreproc, qmainproc, qbindfield, qisautomove, fchangecol) VALUES
    (1, '销售汇总', 1, '销售汇总.cll', 1500, 'Vondrel.SqlReport', NULL, NULL, NULL, FALSE, NULL),
    (2, '销售日报', 1, '销售日报.cll', 1500, 'Vondrel.SqlReport', NULL, NULL, NULL, FALSE, NULL),
    (3, '客户往来账', 1, '客户往来账.cll', 1500, 'Vondrel.SqlReport', NULL, NULL, NULL, FALSE, NULL),
    (4, '客户对账单', 1, '客户往来账.cll', 1500, 'Vondrel.SqlReport', NULL, NULL, NULL, FALSE, NULL),
    (5, '月度销售趋势', 1, '月度销售.cll', 1500, 'Vondrel.SqlReport', NULL, NULL, NULL, FALSE, 'sp_month_cols'),
    (6, '收款明细', 2, '收款明细.cll', 1500, 'Vondrel.SqlReport', NULL, NULL, NULL, FALSE, NULL);

INSERT INTO qv_sqlreport (qid, qsql, qmainsql, qbindfield, qbindcaption, qautomove, qcolschange, qfixedcols)
VALUES (1, 'SELECT c.fcode AS fcustcode, c.fname AS fcustname, r.fname AS fregion,
       COALESCE(s.fbills, 0) AS fbills, COALESCE(s.fqty, 0) AS fqty,
       COALESCE(s.famount, 0) AS famount, COALESCE(s.ftax, 0) AS ftax,
       COALESCE(s.famount, 0) + COALESCE(s.ftax, 0) AS ftotal,
       COALESCE(k.freceived, 0) AS freceived,
       ROUND(c.fopenbal + COALESCE(a.fsales, 0) - COALESCE(b.fpaid, 0), 2) AS fbalance
FROM xs_customer c
JOIN xs_region r ON r.fregionid = c.fregionid
LEFT JOIN (SELECT i.fcustid, COUNT(DISTINCT i.finterid) AS fbills, SUM(e.fqty) AS fqty,
                  ROUND(SUM(e.famount), 2) AS famount, ROUND(SUM(e.ftax), 2) AS ftax
           FROM xs_invoice i JOIN xs_invoiceentry e ON e.finterid = i.finterid
           WHERE i.fstatus <> 2 AND i.fdate BETWEEN :fdatefrom AND :fdateto
           GROUP BY i.fcustid) s ON s.fcustid = c.fcustid
LEFT JOIN (SELECT fcustid, ROUND(SUM(famount), 2) AS freceived FROM xs_receipt
           WHERE fdate BETWEEN :fdatefrom AND :fdateto GROUP BY fcustid) k ON k.fcustid = c.fcustid
LEFT JOIN (SELECT i.fcustid, SUM(e.famount + e.ftax) AS fsales
           FROM xs_invoice i JOIN xs_invoiceentry e ON e.finterid = i.finterid
           WHERE i.fstatus <> 2 AND i.fdate <= :fdateto GROUP BY i.fcustid) a ON a.fcustid = c.fcustid
LEFT JOIN (SELECT fcustid, SUM(famount) AS fpaid FROM xs_receipt
           WHERE fdate <= :fdateto GROUP BY fcustid) b ON b.fcustid = c.fcustid
WHERE (:fregionid = 0 OR c.fregionid = :fregionid)
  AND (s.fcustid IS NOT NULL OR k.fcustid IS NOT NULL)
ORDER BY c.fcode',
    NULL, NULL, NULL, 0, 0, 3);

INSERT INTO qv_sqlreport (qid, qsql, qmainsql, qbindfield, qbindcaption, qautomove, qcolschange, qfixedcols)
VALUES (2, 'SELECT CASE i.fstatus WHEN 0 THEN 0 WHEN 2 THEN -1 ELSE e.fentryid END AS finterid,
       i.fdate, c.fname AS fcustomer, p.fname AS fproduct,
       CASE WHEN i.fstatus = 2 THEN NULL ELSE e.fqty END AS fqty, e.fprice,
       CASE WHEN i.fstatus = 2 THEN NULL ELSE e.famount END AS famount,
       CASE i.fstatus WHEN 1 THEN ''√'' WHEN 2 THEN ''作废'' ELSE '''' END AS fpaid
FROM xs_invoiceentry e
JOIN xs_invoice i ON i.finterid = e.finterid
JOIN xs_customer c ON c.fcustid = i.fcustid
JOIN xs_product p ON p.fprodid = e.fprodid
WHERE i.fdate BETWEEN :fdatefrom AND :fdateto
  AND c.fname LIKE ''%'' || :fcustomer || ''%''
ORDER BY i.fdate, i.finterid, e.fseq',
    NULL, NULL, NULL, 0, 0, 2);

INSERT INTO qv_sqlreport (qid, qsql, qmainsql, qbindfield, qbindcaption, qautomove, qcolschange, qfixedcols)
VALUES (3, 'SELECT fdate, fbillno, fsummary, fdebit, fcredit,
       ROUND(SUM(fopen + fdebit - fcredit) OVER (ORDER BY fsort, fdate, fbillno ROWS UNBOUNDED PRECEDING), 2)
           AS fbalance
FROM (
    SELECT 0 AS fsort, CAST(:fdatefrom AS DATE) AS fdate, '''' AS fbillno, ''期初余额'' AS fsummary,
           c.fopenbal
           + COALESCE((SELECT SUM(e.famount + e.ftax) FROM xs_invoice i
                       JOIN xs_invoiceentry e ON e.finterid = i.finterid
                       WHERE i.fcustid = c.fcustid AND i.fstatus <> 2 AND i.fdate < :fdatefrom), 0)
           - COALESCE((SELECT SUM(r.famount) FROM xs_receipt r
                       WHERE r.fcustid = c.fcustid AND r.fdate < :fdatefrom), 0) AS fopen,
           0 AS fdebit, 0 AS fcredit
    FROM xs_customer c WHERE c.fname = :fcustname
    UNION ALL
    SELECT 1, i.fdate, i.fbillno, ''销售发票（'' || i.fsalesman || ''）'', 0, ROUND(SUM(e.famount + e.ftax), 2), 0
    FROM xs_invoice i
    JOIN xs_invoiceentry e ON e.finterid = i.finterid
    JOIN xs_customer c ON c.fcustid = i.fcustid
    WHERE c.fname = :fcustname AND i.fstatus <> 2 AND i.fdate BETWEEN :fdatefrom AND :fdateto
    GROUP BY i.finterid, i.fdate, i.fbillno, i.fsalesman
    UNION ALL
    SELECT 1, r.fdate, r.fbillno, ''收款（'' || r.fmethod || ''）'', 0, 0, r.famount
    FROM xs_receipt r JOIN xs_customer c ON c.fcustid = r.fcustid
    WHERE c.fname = :fcustname AND r.fdate BETWEEN :fdatefrom AND :fdateto
) m
ORDER BY fsort, fdate, fbillno',
    'SELECT c.fname AS fcustname, c.fcode, r.fname AS fregion
FROM xs_customer c JOIN xs_region r ON r.fregionid = c.fregionid
WHERE :fregionid = 0 OR c.fregionid = :fregionid
ORDER BY c.fcode', 'fcustname', '客户', 1, 0, 0);

INSERT INTO qv_sqlreport (qid, qsql, qmainsql, qbindfield, qbindcaption, qautomove, qcolschange, qfixedcols)
VALUES (4, 'SELECT fdate, fbillno, fsummary, fdebit, fcredit,
       ROUND(SUM(fopen + fdebit - fcredit) OVER (ORDER BY fsort, fdate, fbillno ROWS UNBOUNDED PRECEDING), 2)
           AS fbalance
FROM (
    SELECT 0 AS fsort, CAST(:fdatefrom AS DATE) AS fdate, '''' AS fbillno, ''期初余额'' AS fsummary,
           c.fopenbal
           + COALESCE((SELECT SUM(e.famount + e.ftax) FROM xs_invoice i
                       JOIN xs_invoiceentry e ON e.finterid = i.finterid
                       WHERE i.fcustid = c.fcustid AND i.fstatus <> 2 AND i.fdate < :fdatefrom), 0)
           - COALESCE((SELECT SUM(r.famount) FROM xs_receipt r
                       WHERE r.fcustid = c.fcustid AND r.fdate < :fdatefrom), 0) AS fopen,
           0 AS fdebit, 0 AS fcredit
    FROM xs_customer c WHERE c.fname = :fcustname
    UNION ALL
    SELECT 1, i.fdate, i.fbillno, ''销售发票（'' || i.fsalesman || ''）'', 0, ROUND(SUM(e.famount + e.ftax), 2), 0
    FROM xs_invoice i
    JOIN xs_invoiceentry e ON e.finterid = i.finterid
    JOIN xs_customer c ON c.fcustid = i.fcustid
    WHERE c.fname = :fcustname AND i.fstatus <> 2 AND i.fdate BETWEEN :fdatefrom AND :fdateto
    GROUP BY i.finterid, i.fdate, i.fbillno, i.fsalesman
    UNION ALL
    SELECT 1, r.fdate, r.fbillno, ''收款（'' || r.fmethod || ''）'', 0, 0, r.famount
    FROM xs_receipt r JOIN xs_customer c ON c.fcustid = r.fcustid
    WHERE c.fname = :fcustname AND r.fdate BETWEEN :fdatefrom AND :fdateto
) m
ORDER BY fsort, fdate, fbillno',
    'SELECT c.fname AS fcustname, c.fcode, r.fname AS fregion
FROM xs_customer c JOIN xs_region r ON r.fregionid = c.fregionid
WHERE :fregionid = 0 OR c.fregionid = :fregionid
ORDER BY c.fcode', 'fcustname', '客户', 0, 0, 0);

INSERT INTO qv_sqlreport (qid, qsql, qmainsql, qbindfield, qbindcaption, qautomove, qcolschange, qfixedcols)
VALUES (5, 'SELECT c.fname AS fcustname, r.fname AS fregion,
       ROUND(SUM(CASE WHEN EXTRACT(MONTH FROM i.fdate) = 1 THEN e.famount ELSE 0 END), 2) AS m01,
       ROUND(SUM(CASE WHEN EXTRACT(MONTH FROM i.fdate) = 2 THEN e.famount ELSE 0 END), 2) AS m02,
       ROUND(SUM(CASE WHEN EXTRACT(MONTH FROM i.fdate) = 3 THEN e.famount ELSE 0 END), 2) AS m03,
       ROUND(SUM(CASE WHEN EXTRACT(MONTH FROM i.fdate) = 4 THEN e.famount ELSE 0 END), 2) AS m04,
       ROUND(SUM(CASE WHEN EXTRACT(MONTH FROM i.fdate) = 5 THEN e.famount ELSE 0 END), 2) AS m05,
       ROUND(SUM(CASE WHEN EXTRACT(MONTH FROM i.fdate) = 6 THEN e.famount ELSE 0 END), 2) AS m06,
       ROUND(SUM(CASE WHEN EXTRACT(MONTH FROM i.fdate) = 7 THEN e.famount ELSE 0 END), 2) AS m07,
       ROUND(SUM(CASE WHEN EXTRACT(MONTH FROM i.fdate) = 8 THEN e.famount ELSE 0 END), 2) AS m08,
       ROUND(SUM(CASE WHEN EXTRACT(MONTH FROM i.fdate) = 9 THEN e.famount ELSE 0 END), 2) AS m09,
       ROUND(SUM(CASE WHEN EXTRACT(MONTH FROM i.fdate) = 10 THEN e.famount ELSE 0 END), 2) AS m10,
       ROUND(SUM(CASE WHEN EXTRACT(MONTH FROM i.fdate) = 11 THEN e.famount ELSE 0 END), 2) AS m11,
       ROUND(SUM(CASE WHEN EXTRACT(MONTH FROM i.fdate) = 12 THEN e.famount ELSE 0 END), 2) AS m12,
       ROUND(SUM(e.famount), 2) AS ftotal
FROM xs_invoice i
JOIN xs_invoiceentry e ON e.finterid = i.finterid
JOIN xs_customer c ON c.fcustid = i.fcustid
JOIN xs_region r ON r.fregionid = c.fregionid
WHERE i.fstatus <> 2 AND EXTRACT(YEAR FROM i.fdate) = :fyear AND (:fregionid = 0 OR c.fregionid = :fregionid)
GROUP BY c.fcode, c.fname, r.fname
ORDER BY c.fcode',
    NULL, NULL, NULL, 0, 1, 2);

INSERT INTO qv_sqlreport (qid, qsql, qmainsql, qbindfield, qbindcaption, qautomove, qcolschange, qfixedcols)
VALUES (6, 'SELECT r.fdate, r.fbillno, c.fname AS fcustname, r.fmethod, r.famount
FROM xs_receipt r JOIN xs_customer c ON c.fcustid = r.fcustid
WHERE r.fdate BETWEEN :fdatefrom AND :fdateto
  AND (:fmethod = '''' OR r.fmethod = :fmethod)
  AND r.famount >= :fminamount
ORDER BY r.fdate, r.fbillno',
    NULL, NULL, NULL, 0, 0, 0);

INSERT INTO qv_sqlreportpara (qid, qorder, qname, qcaption, qtype, qdefault, qlistsql) VALUES
    (1, 1, 'fdatefrom', '开始日期', 'date', '2024-03-01', NULL),
    (1, 2, 'fdateto', '结束日期', 'date', '2024-03-31', NULL),
    (1, 3, 'fregionid', '地区', 'list', NULL, 'SELECT 0 AS fvalue, ''全部地区'' AS ftext UNION ALL SELECT fregionid, fname FROM xs_region ORDER BY 1'),
    (2, 1, 'fdatefrom', '开始日期', 'date', '2024-03-01', NULL),
    (2, 2, 'fdateto', '结束日期', 'date', '2024-03-07', NULL),
    (2, 3, 'fcustomer', '客户名称含', 'text', '', NULL),
    (3, 1, 'fdatefrom', '开始日期', 'date', '2024-01-01', NULL),
    (3, 2, 'fdateto', '结束日期', 'date', '2024-03-31', NULL),
    (3, 3, 'fregionid', '地区', 'list', '3', 'SELECT 0 AS fvalue, ''全部地区'' AS ftext UNION ALL SELECT fregionid, fname FROM xs_region ORDER BY 1'),
    (4, 1, 'fdatefrom', '开始日期', 'date', '2024-01-01', NULL),
    (4, 2, 'fdateto', '结束日期', 'date', '2024-03-31', NULL),
    (4, 3, 'fregionid', '地区', 'list', '5', 'SELECT 0 AS fvalue, ''全部地区'' AS ftext UNION ALL SELECT fregionid, fname FROM xs_region ORDER BY 1'),
    (5, 1, 'fyear', '年度', 'int', '2024', NULL),
    (5, 2, 'fregionid', '地区', 'list', NULL, 'SELECT 0 AS fvalue, ''全部地区'' AS ftext UNION ALL SELECT fregionid, fname FROM xs_region ORDER BY 1'),
    (6, 1, 'fdatefrom', '开始日期', 'date', '2024-03-01', NULL),
    (6, 2, 'fdateto', '结束日期', 'date', '2024-03-31', NULL),
    (6, 3, 'fmethod', '收款方式', 'list', NULL, 'SELECT '''' AS fvalue, ''全部方式'' AS ftext UNION ALL SELECT DISTINCT fmethod, fmethod FROM xs_receipt ORDER BY 1'),
    (6, 4, 'fminamount', '最低金额', 'decimal', '0', NULL);

-- The window only counts a report's parameter rows here; they mirror the plug-in's.
INSERT INTO qv_rptpara (qid, qorder, qname, qcaption, qdatatype, qdefault)
SELECT qid, qorder, qname, qcaption, qtype, qdefault FROM qv_sqlreportpara;

-- 月度销售趋势's months are variable columns: after the reset deleted the report's column rows, the
-- window calls this with the report's parameter values (year, region) and the user, and it adds one
-- column per month with sales, after 全年合计 (template header rows 4 and 5). A column added after the
-- last one takes that column's cells, so with 0 decimal places (keep the template's number format) the
-- months show amounts as 全年合计 does: grouped, two decimals. The window passes the values as the
-- text of the parameter items: SQLite compares them as numbers only when told.
DROP PROCEDURE IF EXISTS sp_month_cols(INTEGER, INTEGER, INTEGER);
CREATE PROCEDURE sp_month_cols(pyear INTEGER, pregion INTEGER, puserid INTEGER) LANGUAGE sql AS $$
INSERT INTO QV_RptChangeColFormat (fuserid, fischange, frptid, fcol, fbegrow, fendrow, fwidth, fcaption,
                                   fdatafield, fistotal, fdatatype, fdataformat)
SELECT puserid, 1, 5, 2 + ROW_NUMBER() OVER (ORDER BY m), 4, 5, 96,
       '各月销售额,' || m || '月', 'm' || lpad(m::text, 2, '0'), 1, 0, 0
FROM (SELECT DISTINCT EXTRACT(MONTH FROM i.fdate)::integer AS m
      FROM xs_invoice i JOIN xs_customer c ON c.fcustid = i.fcustid
      WHERE i.fstatus <> 2 AND EXTRACT(YEAR FROM i.fdate) = pyear
        AND (pregion = 0 OR c.fregionid = pregion)) months;
$$;

-- What the procedure gave user 1 (the demo user) for 2024, all regions.
INSERT INTO QV_RptChangeColFormat (fuserid, fischange, frptid, fcol, fbegrow, fendrow, fwidth, fcaption,
                                   fdatafield, fistotal, fdatatype, fdataformat) VALUES
    (1, 1, 5, 3, 4, 5, 96, '各月销售额,1月', 'm01', 1, 0, 0),
    (1, 1, 5, 4, 4, 5, 96, '各月销售额,2月', 'm02', 1, 0, 0),
    (1, 1, 5, 5, 4, 5, 96, '各月销售额,3月', 'm03', 1, 0, 0),
    (1, 1, 5, 6, 4, 5, 96, '各月销售额,4月', 'm04', 1, 0, 0),
    (1, 1, 5, 7, 4, 5, 96, '各月销售额,5月', 'm05', 1, 0, 0),
    (1, 1, 5, 8, 4, 5, 96, '各月销售额,6月', 'm06', 1, 0, 0),
    (1, 1, 5, 9, 4, 5, 96, '各月销售额,7月', 'm07', 1, 0, 0),
    (1, 1, 5, 10, 4, 5, 96, '各月销售额,8月', 'm08', 1, 0, 0),
    (1, 1, 5, 11, 4, 5, 96, '各月销售额,9月', 'm09', 1, 0, 0),
    (1, 1, 5, 12, 4, 5, 96, '各月销售额,10月', 'm10', 1, 0, 0),
    (1, 1, 5, 13, 4, 5, 96, '各月销售额,11月', 'm11', 1, 0, 0),
    (1, 1, 5, 14, 4, 5, 96, '各月销售额,12月', 'm12', 1, 0, 0);
