-- SPDX-FileCopyrightText: 2026 Vondrel authors
-- SPDX-License-Identifier: MIT
--
-- Report catalogue of the demo database (PostgreSQL).
-- Same tables and types as ../sqlite/01-catalogue.sql; unquoted names fold
-- to lower case, as the viewer's statements expect.

DROP TABLE IF EXISTS qv_report;
CREATE TABLE qv_report (
    qid          SMALLINT NOT NULL PRIMARY KEY,
    qrptname     VARCHAR(100) NOT NULL,
    qrptgrpid    SMALLINT NOT NULL,
    qfmtfilename VARCHAR(200),
    qheadheight  INTEGER NOT NULL DEFAULT 0,
    qclsname     VARCHAR(100),
    qstoreproc   VARCHAR(100),
    qmainproc    VARCHAR(100),
    qbindfield   VARCHAR(50),
    qisautomove  BOOLEAN NOT NULL DEFAULT FALSE,
    fchangecol   VARCHAR(100)
);

DROP TABLE IF EXISTS qv_rptgrp;
CREATE TABLE qv_rptgrp (
    qrptgrpid   SMALLINT NOT NULL PRIMARY KEY,
    qrptgrpname VARCHAR(50) NOT NULL
);

DROP TABLE IF EXISTS qv_rptdetail;
CREATE TABLE qv_rptdetail (
    qrptparentid SMALLINT NOT NULL,
    qrptchildid  SMALLINT NOT NULL,
    qrptpara     VARCHAR(200) NOT NULL,
    PRIMARY KEY (qrptparentid, qrptchildid)
);

-- Only the number of rows per report matters to the viewer; the other
-- columns describe each parameter for people and for report plug-ins.
DROP TABLE IF EXISTS qv_rptpara;
CREATE TABLE qv_rptpara (
    qid       SMALLINT NOT NULL,
    qorder    SMALLINT NOT NULL,
    qname     VARCHAR(50) NOT NULL,
    qcaption  VARCHAR(100) NOT NULL,
    qdatatype VARCHAR(20) NOT NULL,
    qdefault  VARCHAR(100),
    PRIMARY KEY (qid, qorder)
);

-- No key: the viewer looks rows up by user, report and column itself, and
-- variable-column rows are written by the database's own procedures.
DROP TABLE IF EXISTS QV_RptChangeColFormat;
CREATE TABLE QV_RptChangeColFormat (
    fuserid     INTEGER NOT NULL,
    fischange   INTEGER NOT NULL DEFAULT 0,
    frptid      SMALLINT NOT NULL,
    fcol        INTEGER NOT NULL,
    fbegrow     SMALLINT,
    fendrow     SMALLINT,
    fwidth      DOUBLE PRECISION,
    fcaption    VARCHAR(200),
    fdatafield  VARCHAR(50),
    fistotal    INTEGER,
    fdatatype   INTEGER,
    fdataformat INTEGER
);
CREATE INDEX qv_rptchangecolformat_rpt ON QV_RptChangeColFormat (frptid, fuserid, fcol);

-- Reports of the generic plug-in Vondrel.SqlReport (docs/sqlreport.md): the rows query, the master
-- list and its key, and the parameters the plug-in's dialog asks for.
DROP TABLE IF EXISTS qv_sqlreport;
CREATE TABLE qv_sqlreport (
    qid          SMALLINT NOT NULL PRIMARY KEY,
    qsql         TEXT NOT NULL,
    qmainsql     TEXT,
    qbindfield   VARCHAR(50),
    qbindcaption VARCHAR(50),
    qautomove    INTEGER NOT NULL DEFAULT 0,
    qcolschange  INTEGER NOT NULL DEFAULT 0,
    qfixedcols   INTEGER NOT NULL DEFAULT 0
);

DROP TABLE IF EXISTS qv_sqlreportpara;
CREATE TABLE qv_sqlreportpara (
    qid      SMALLINT NOT NULL,
    qorder   SMALLINT NOT NULL,
    qname    VARCHAR(50) NOT NULL,
    qcaption VARCHAR(50) NOT NULL,
    qtype    VARCHAR(10) NOT NULL,
    qdefault VARCHAR(100),
    qlistsql TEXT,
    PRIMARY KEY (qid, qorder)
);
