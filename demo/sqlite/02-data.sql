-- SPDX-FileCopyrightText: 2026 Vondrel authors
-- SPDX-License-Identifier: MIT
--
-- Business data of the demo (SQLite): a food and household goods wholesaler's year 2024 —
-- 6 regions, 120 customers, 40 products, 8,000 sales invoices with about 24,000 lines, and
-- 3,000 receipts. Every value is computed from the row number with fixed multipliers, so
-- each build and both databases hold exactly the same rows. Money is worked out in whole fen
-- (cents) and only then divided by 100, so no rounding can differ between the two engines.
-- Written by ../make_sql.py, which writes ../postgres/02-data.sql from the same description: edit there
-- and run it. Only date arithmetic, zero padding and the boolean differ between the two.

DROP VIEW IF EXISTS xs_sales;
DROP TABLE IF EXISTS xs_receipt;
DROP TABLE IF EXISTS xs_invoiceentry;
DROP TABLE IF EXISTS xs_invoice;
DROP TABLE IF EXISTS xs_product;
DROP TABLE IF EXISTS xs_customer;
DROP TABLE IF EXISTS xs_region;

CREATE TABLE xs_region (
    fregionid INTEGER NOT NULL PRIMARY KEY,
    fname     VARCHAR(20) NOT NULL
);

CREATE TABLE xs_customer (
    fcustid      INTEGER NOT NULL PRIMARY KEY,
    fcode        VARCHAR(10) NOT NULL,
    fname        VARCHAR(50) NOT NULL,
    fregionid    INTEGER NOT NULL REFERENCES xs_region (fregionid),
    fcity        VARCHAR(20) NOT NULL,
    fcontact     VARCHAR(20) NOT NULL,
    fcreditlimit DECIMAL(18,2) NOT NULL,
    fopenbal     DECIMAL(18,2) NOT NULL  -- receivable brought forward on 2024-01-01
);

CREATE TABLE xs_product (
    fprodid   INTEGER NOT NULL PRIMARY KEY,
    fcode     VARCHAR(10) NOT NULL,
    fname     VARCHAR(50) NOT NULL,
    fcategory VARCHAR(20) NOT NULL,
    funit     VARCHAR(4) NOT NULL,
    fprice    DECIMAL(18,2) NOT NULL,
    fcost     DECIMAL(18,2) NOT NULL
);

-- fstatus: 1 audited, 0 not yet audited, 2 voided (kept for the record, never counted).
CREATE TABLE xs_invoice (
    finterid  INTEGER NOT NULL PRIMARY KEY,
    fbillno   VARCHAR(20) NOT NULL,
    fdate     DATE NOT NULL,
    fcustid   INTEGER NOT NULL REFERENCES xs_customer (fcustid),
    fsalesman VARCHAR(20) NOT NULL,
    fstatus   INTEGER NOT NULL
);

CREATE TABLE xs_invoiceentry (
    fentryid INTEGER NOT NULL PRIMARY KEY,
    finterid INTEGER NOT NULL REFERENCES xs_invoice (finterid),
    fseq     INTEGER NOT NULL,
    fprodid  INTEGER NOT NULL REFERENCES xs_product (fprodid),
    fqty     INTEGER NOT NULL,
    fprice   DECIMAL(18,2) NOT NULL,
    famount  DECIMAL(18,2) NOT NULL,
    ftax     DECIMAL(18,2) NOT NULL,
    fcost    DECIMAL(18,2) NOT NULL
);

CREATE TABLE xs_receipt (
    frecid  INTEGER NOT NULL PRIMARY KEY,
    fbillno VARCHAR(20) NOT NULL,
    fdate   DATE NOT NULL,
    fcustid INTEGER NOT NULL REFERENCES xs_customer (fcustid),
    fmethod VARCHAR(20) NOT NULL,
    famount DECIMAL(18,2) NOT NULL
);

INSERT INTO xs_region (fregionid, fname) VALUES
    (1, '华北'), (2, '东北'), (3, '华东'), (4, '华中'), (5, '华南'), (6, '西南');

-- Five trading names in each of 24 cities.
INSERT INTO xs_customer (fcustid, fcode, fname, fregionid, fcity, fcontact, fcreditlimit, fopenbal)
WITH
    city(k, name, region) AS (VALUES
        (0, '北京', 1), (1, '天津', 1), (2, '石家庄', 1), (3, '太原', 1),
        (4, '沈阳', 2), (5, '大连', 2), (6, '长春', 2), (7, '哈尔滨', 2),
        (8, '上海', 3), (9, '南京', 3), (10, '杭州', 3), (11, '苏州', 3),
        (12, '宁波', 3), (13, '济南', 3), (14, '青岛', 3), (15, '合肥', 3),
        (16, '武汉', 4), (17, '长沙', 4), (18, '郑州', 4),
        (19, '广州', 5), (20, '深圳', 5), (21, '厦门', 5),
        (22, '成都', 6), (23, '重庆', 6)),
    trade(k, name) AS (VALUES
        (0, '华联商厦'), (1, '百货有限公司'), (2, '连锁超市'), (3, '食品批发部'), (4, '商贸有限公司')),
    surname(k, name) AS (VALUES
        (0, '王'), (1, '李'), (2, '张'), (3, '刘'), (4, '陈'), (5, '杨'),
        (6, '赵'), (7, '黄'), (8, '周'), (9, '吴'), (10, '徐'), (11, '孙')),
    given(k, name) AS (VALUES
        (0, '建国'), (1, '秀英'), (2, '伟'), (3, '丽娟'), (4, '志强'),
        (5, '海燕'), (6, '军'), (7, '晓明'), (8, '静'), (9, '国华'))
SELECT c.k * 5 + t.k + 1,
       printf('C%03d', c.k * 5 + t.k + 1),
       c.name || t.name,
       c.region,
       c.name,
       s.name || g.name,
       (5000000 * (1 + (c.k * 5 + t.k + 1) % 6)) / 100.0,
       (((c.k * 5 + t.k + 1) * 3571 % 50) * 100000) / 100.0
FROM city c
CROSS JOIN trade t
JOIN surname s ON s.k = ((c.k * 5 + t.k + 1) * 7) % 12
JOIN given g ON g.k = ((c.k * 5 + t.k + 1) * 5) % 10
ORDER BY 1;

-- Prices and costs in fen.
INSERT INTO xs_product (fprodid, fcode, fname, fcategory, funit, fprice, fcost)
WITH p(id, code, name, category, unit, price, cost) AS (VALUES
    (1, 'P001', '西湖龙井茶250g', '茶叶饮品', '盒', 16800, 12000),
    (2, 'P002', '安溪铁观音500g', '茶叶饮品', '罐', 23800, 16500),
    (3, 'P003', '云南普洱茶饼357g', '茶叶饮品', '饼', 19800, 13200),
    (4, 'P004', '纯牛奶250ml×24', '乳品', '箱', 5800, 4450),
    (5, 'P005', '酸奶200g×12', '乳品', '箱', 4280, 3100),
    (6, 'P006', '奶粉900g', '乳品', '罐', 26800, 19800),
    (7, 'P007', '五常大米5kg', '粮油', '袋', 6990, 5200),
    (8, 'P008', '东北大米10kg', '粮油', '袋', 8990, 6800),
    (9, 'P009', '花生调和油5L', '粮油', '桶', 7950, 6120),
    (10, 'P010', '菜籽油5L', '粮油', '桶', 6680, 5050),
    (11, 'P011', '高筋面粉5kg', '粮油', '袋', 3650, 2700),
    (12, 'P012', '挂面1kg', '粮油', '袋', 1290, 880),
    (13, 'P013', '啤酒500ml×12', '酒水', '箱', 4560, 3300),
    (14, 'P014', '白酒52度500ml', '酒水', '瓶', 35800, 24600),
    (15, 'P015', '黄酒2.5L', '酒水', '坛', 6800, 4500),
    (16, 'P016', '干红葡萄酒750ml', '酒水', '瓶', 12800, 8200),
    (17, 'P017', '矿泉水550ml×24', '饮料', '箱', 2880, 1960),
    (18, 'P018', '橙汁1L×6', '饮料', '箱', 5400, 3800),
    (19, 'P019', '凉茶310ml×24', '饮料', '箱', 7200, 5100),
    (20, 'P020', '可乐330ml×24', '饮料', '箱', 5980, 4300),
    (21, 'P021', '酱油1.9L', '调味品', '瓶', 2350, 1680),
    (22, 'P022', '陈醋500ml', '调味品', '瓶', 1180, 790),
    (23, 'P023', '蚝油700g', '调味品', '瓶', 1690, 1150),
    (24, 'P024', '火锅底料400g', '调味品', '袋', 2480, 1620),
    (25, 'P025', '食盐400g', '调味品', '袋', 350, 210),
    (26, 'P026', '月饼礼盒', '休闲食品', '盒', 12800, 8600),
    (27, 'P027', '香瓜子308g', '休闲食品', '袋', 1580, 1040),
    (28, 'P028', '牛肉干200g', '休闲食品', '袋', 4580, 3150),
    (29, 'P029', '饼干礼盒1kg', '休闲食品', '盒', 6800, 4600),
    (30, 'P030', '坚果礼盒', '休闲食品', '盒', 16800, 11500),
    (31, 'P031', '速冻水饺1kg', '冷冻食品', '袋', 2680, 1880),
    (32, 'P032', '汤圆500g', '冷冻食品', '袋', 1580, 1060),
    (33, 'P033', '中药牙膏120g', '日化', '支', 2690, 1830),
    (34, 'P034', '洗衣液3kg', '日化', '瓶', 4990, 3380),
    (35, 'P035', '洗发水750ml', '日化', '瓶', 5890, 3950),
    (36, 'P036', '抽纸三层×10', '日化', '提', 3290, 2280),
    (37, 'P037', '香皂125g×3', '日化', '组', 1590, 990),
    (38, 'P038', '不锈钢保温杯', '日用百货', '个', 8900, 5200),
    (39, 'P039', '陶瓷餐具套装', '日用百货', '套', 19900, 12600),
    (40, 'P040', '竹制砧板', '日用百货', '块', 4580, 2800))
SELECT id, code, name, category, unit, (price) / 100.0, (cost) / 100.0 FROM p ORDER BY id;

-- 8,000 invoices spread evenly over the 366 days of 2024; every 53rd voided, every 17th still
-- waiting for its audit.
INSERT INTO xs_invoice (finterid, fbillno, fdate, fcustid, fsalesman, fstatus)
WITH RECURSIVE
    n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 8000),
    salesman(k, name) AS (VALUES
        (0, '张伟'), (1, '王芳'), (2, '李娜'), (3, '刘洋'),
        (4, '陈静'), (5, '杨磊'), (6, '赵敏'), (7, '黄涛'))
SELECT n.i,
       printf('XS2024%05d', n.i),
       date('2024-01-01', '+' || ((n.i - 1) * 366 / 8000) || ' days'),
       1 + ((n.i * 7919) % 997) % 120,
       s.name,
       CASE WHEN n.i % 53 = 0 THEN 2 WHEN n.i % 17 = 0 THEN 0 ELSE 1 END
FROM n
JOIN salesman s ON s.k = (n.i * 13 + (n.i * 7919) % 997) % 8
ORDER BY n.i;

-- One to five lines per invoice; a discount of 0, 2, 4 or 6 per cent on the list price, rounded
-- down to the fen; VAT 13 %, rounded half up to the fen.
INSERT INTO xs_invoiceentry (fentryid, finterid, fseq, fprodid, fqty, fprice, famount, ftax, fcost)
WITH RECURSIVE
    n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 8000),
    line(k) AS (VALUES (1), (2), (3), (4), (5)),
    priced AS (
        SELECT n.i AS inv, line.k AS seq,
               1 + (n.i * 17 + line.k * 29) % 40 AS prod,
               1 + (n.i * 37 + line.k * 11) % 60 AS qty,
               (n.i % 4) * 2 AS discount
        FROM n JOIN line ON line.k <= 1 + (n.i * 31) % 5),
    cents AS (
        SELECT q.inv, q.seq, q.prod, q.qty,
               CAST(ROUND(p.fprice * 100) AS INTEGER) * (100 - q.discount) / 100 AS price,
               CAST(ROUND(p.fcost * 100) AS INTEGER) AS cost
        FROM priced q JOIN xs_product p ON p.fprodid = q.prod)
SELECT (inv - 1) * 5 + seq, inv, seq, prod, qty,
       (price) / 100.0,
       (qty * price) / 100.0,
       ((qty * price * 13 + 50) / 100) / 100.0,
       (qty * cost) / 100.0
FROM cents
ORDER BY 1;

-- 3,000 receipts of 5,000 to 24,999 yuan, mostly bank transfers.
INSERT INTO xs_receipt (frecid, fbillno, fdate, fcustid, fmethod, famount)
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000)
SELECT n.i,
       printf('SK2024%05d', n.i),
       date('2024-01-01', '+' || ((n.i - 1) * 366 / 3000) || ' days'),
       1 + (n.i * 4099) % 120,
       CASE n.i % 7 WHEN 5 THEN '现金' WHEN 6 THEN '银行承兑汇票' ELSE '银行转账' END,
       ((5000 + (n.i * 7727) % 20000) * 100) / 100.0
FROM n
ORDER BY n.i;

CREATE INDEX xs_invoice_date ON xs_invoice (fdate);
CREATE INDEX xs_invoice_cust ON xs_invoice (fcustid, fdate);
CREATE INDEX xs_invoiceentry_inv ON xs_invoiceentry (finterid);
CREATE INDEX xs_receipt_cust ON xs_receipt (fcustid, fdate);

-- One row per invoice line, in the shape the sales templates name their fields.
CREATE VIEW xs_sales AS
SELECT e.fentryid AS finterid, i.fdate, c.fname AS fcustomer, p.fname AS fproduct,
       e.fqty, e.fprice, e.famount, i.fstatus = 1 AS fpaid
FROM xs_invoiceentry e
JOIN xs_invoice i ON i.finterid = e.finterid
JOIN xs_customer c ON c.fcustid = i.fcustid
JOIN xs_product p ON p.fprodid = e.fprodid;
