-- SPDX-FileCopyrightText: 2026 Vondrel authors
-- SPDX-License-Identifier: MIT
--
-- The example report of docs/getting-started.md: 商品销售排行, report 20 of the demo catalogue.
INSERT INTO qv_report (qid, qrptname, qrptgrpid, qfmtfilename, qheadheight, qclsname)
VALUES (20, '商品销售排行', 1, '商品排行.cll', 1500, 'Vondrel.SqlReport');

INSERT INTO qv_sqlreport (qid, qsql, qautomove, qcolschange, qfixedcols)
VALUES (20, 'SELECT ROW_NUMBER() OVER (ORDER BY SUM(e.famount) DESC) AS frank, p.fname AS fname,
       SUM(e.fqty) AS fqty, SUM(e.famount) AS famount, SUM(e.famount - e.fcost) AS fprofit
FROM xs_invoiceentry e
JOIN xs_invoice i ON i.finterid = e.finterid
JOIN xs_product p ON p.fprodid = e.fprodid
WHERE i.fstatus <> 2 AND i.fdate BETWEEN :fdatefrom AND :fdateto
GROUP BY p.fname
ORDER BY famount DESC', 0, 0, 0);

INSERT INTO qv_sqlreportpara (qid, qorder, qname, qcaption, qtype, qdefault)
VALUES (20, 1, 'fdatefrom', '开始日期', 'date', '2024-03-01'),
       (20, 2, 'fdateto', '结束日期', 'date', '2024-03-31');
