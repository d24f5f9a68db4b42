-- SPDX-FileCopyrightText: 2026 Vondrel authors
-- SPDX-License-Identifier: MIT
--
-- Demo catalogue rows and business data (PostgreSQL). Keep in step with
-- ../sqlite/02-data.sql: only the date arithmetic differs.

INSERT INTO qv_rptgrp (qrptgrpid, qrptgrpname) VALUES
    (1, '销售报表'),
    (2, '库存报表'),
    (3, '财务报表');

-- 销售明细 is the drill-down child of 销售日报: it is opened through its
-- procedures with the clicked customer, and its navigation walks the customers.
INSERT INTO qv_report (qid, qrptname, qrptgrpid, qfmtfilename, qheadheight, qclsname,
                       qstoreproc, qmainproc, qbindfield, qisautomove, fchangecol) VALUES
    (1, '销售日报',       1, '销售日报.cll',     1200, 'Vondrel.SqlReport', NULL,           NULL,              NULL,        FALSE, NULL),
    (2, '销售明细',       1, '销售明细.cll',     1200, 'Vondrel.SqlReport', 'sp_xs_detail', 'sp_xs_customers', 'fcustomer', TRUE,  NULL),
    (3, '客户应收款汇总', 1, '客户应收款汇总.cll', 900, 'Vondrel.SqlReport', NULL,           NULL,              NULL,        FALSE, NULL),
    (4, '库存汇总',       2, '库存汇总.cll',     1200, 'Vondrel.SqlReport', NULL,           NULL,              NULL,        FALSE, NULL),
    (5, '分仓库存明细',   2, '分仓库存明细.cll', 1200, 'Vondrel.SqlReport', NULL,           NULL,              NULL,        FALSE, 'sp_kc_warehouse_cols'),
    (6, '收款日报',       3, '收款日报.cll',     1200, 'Vondrel.SqlReport', NULL,           NULL,              NULL,        FALSE, NULL),
    (7, '应收账龄分析',   3, '应收账龄分析.cll', 1200, 'Vondrel.SqlReport', NULL,           NULL,              NULL,        FALSE, NULL);

-- The clicked row's customer becomes the child's last parameter.
INSERT INTO qv_rptdetail (qrptparentid, qrptchildid, qrptpara) VALUES
    (1, 2, 'fcustomer/客户:fcustomer');

INSERT INTO qv_rptpara (qid, qorder, qname, qcaption, qdatatype, qdefault) VALUES
    (1, 1, 'fdatefrom', '开始日期', 'date',   '2024-03-01'),
    (1, 2, 'fdateto',   '结束日期', 'date',   '2024-03-31'),
    (2, 1, 'fdatefrom', '开始日期', 'date',   '2024-03-01'),
    (2, 2, 'fdateto',   '结束日期', 'date',   '2024-03-31'),
    (2, 3, 'fcustomer', '客户',     'string', NULL),
    (3, 1, 'fdateto',   '截止日期', 'date',   '2024-04-09'),
    (4, 1, 'fwarehouse', '仓库',    'string', '北京仓'),
    (6, 1, 'fdatefrom', '开始日期', 'date',   '2024-03-01'),
    (6, 2, 'fdateto',   '结束日期', 'date',   '2024-03-31'),
    (7, 1, 'fdateto',   '截止日期', 'date',   '2024-04-09');

-- User 1 has widened and renamed the customer column of 销售日报.
INSERT INTO QV_RptChangeColFormat (fuserid, fischange, frptid, fcol, fbegrow, fendrow, fwidth, fcaption,
                                   fdatafield, fistotal, fdatatype, fdataformat) VALUES
    (1, 0, 1, 1, 1, 2, 90,  '日期,销售日期', NULL, NULL, NULL, NULL),
    (1, 0, 1, 2, 1, 2, 160, '客户,客户名称', NULL, NULL, NULL, NULL);

-- Business data the demo reports read.

DROP TABLE IF EXISTS xs_sales;
CREATE TABLE xs_sales (
    finterid  INTEGER NOT NULL PRIMARY KEY,
    fdate     DATE NOT NULL,
    fcustomer VARCHAR(50) NOT NULL,
    fproduct  VARCHAR(50) NOT NULL,
    fqty      INTEGER NOT NULL,
    fprice    DECIMAL(18,2) NOT NULL,
    famount   DECIMAL(18,2) NOT NULL,
    fpaid     BOOLEAN NOT NULL
);

DROP TABLE IF EXISTS kc_stock;
CREATE TABLE kc_stock (
    fproduct   VARCHAR(50) NOT NULL,
    fwarehouse VARCHAR(20) NOT NULL,
    fqty       INTEGER NOT NULL,
    fcost      DECIMAL(18,2) NOT NULL,
    PRIMARY KEY (fproduct, fwarehouse)
);

-- 200 sales over 40 days, generated so the file stays small and both
-- databases hold exactly the same rows.
INSERT INTO xs_sales (finterid, fdate, fcustomer, fproduct, fqty, fprice, famount, fpaid)
WITH RECURSIVE
    n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200),
    customer(k, name) AS (VALUES
        (0, '北京华联商厦'), (1, '上海百联集团'), (2, '广州友谊商店'), (3, '深圳天虹商场'),
        (4, '杭州银泰百货'), (5, '南京新街口百货'), (6, '成都春熙商贸'), (7, '武汉中商广场')),
    product(k, name, price) AS (VALUES
        (0, '西湖龙井茶250g', 168.00), (1, '五常大米5kg', 69.90), (2, '花生调和油5L', 79.50),
        (3, '纯牛奶250ml×24', 58.00), (4, '啤酒500ml×12', 45.60), (5, '矿泉水550ml×24', 28.80),
        (6, '酱油1.9L', 23.50), (7, '月饼礼盒', 128.00), (8, '中药牙膏120g', 26.90),
        (9, '香瓜子308g', 15.80))
SELECT n.i,
       DATE '2024-03-01' + (n.i - 1) / 5,
       c.name,
       p.name,
       1 + (n.i * 37) % 48,
       p.price,
       round((1 + (n.i * 37) % 48) * p.price, 2),
       n.i % 4 <> 0
FROM n
JOIN customer c ON c.k = (n.i * 3) % 8
JOIN product p ON p.k = (n.i * 7) % 10
ORDER BY n.i;

INSERT INTO kc_stock (fproduct, fwarehouse, fqty, fcost)
WITH
    warehouse(k, name) AS (VALUES (0, '北京仓'), (1, '上海仓'), (2, '广州仓')),
    product(k, name, cost) AS (VALUES
        (0, '西湖龙井茶250g', 120.00), (1, '五常大米5kg', 52.00), (2, '花生调和油5L', 61.20),
        (3, '纯牛奶250ml×24', 44.50), (4, '啤酒500ml×12', 33.00), (5, '矿泉水550ml×24', 19.60),
        (6, '酱油1.9L', 16.80), (7, '月饼礼盒', 86.00), (8, '中药牙膏120g', 18.30),
        (9, '香瓜子308g', 10.40))
SELECT p.name, w.name, (p.k * 53 + w.k * 29) % 400, p.cost
FROM product p CROSS JOIN warehouse w
ORDER BY p.k, w.k;
