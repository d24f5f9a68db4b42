-- SPDX-FileCopyrightText: 2026 Vondrel authors
-- SPDX-License-Identifier: MIT
--
-- Drill-down in the demo (PostgreSQL): a double click on a customer of 销售汇总 opens 销售日报 for that
-- customer over the same period, and "返回" goes back to 销售汇总 with the period it had. Reached that
-- way, both reports fetch through functions whose bodies are the reports' own statements (their named
-- parameters turned into positional ones), so the rows are those the plug-in shows. The result columns
-- are read off the statement itself. Runs after 03-reports.sql, which empties the link table.
-- Keep in step with ../sqlite/04-drill.sql.

INSERT INTO qv_rptdetail (qrptparentid, qrptchildid, qrptpara) VALUES (1, 2, 'fcustname/客户:fcustname');
UPDATE qv_report SET qstoreproc = 'sp_xs_summary' WHERE qid = 1;
UPDATE qv_report SET qstoreproc = 'sp_xs_daily' WHERE qid = 2;

DO $do$
DECLARE
    spec RECORD;
    body TEXT;
    probe TEXT;
    columns TEXT;
BEGIN
    FOR spec IN SELECT * FROM (VALUES
        (1, 'sp_xs_summary', 'fdatefrom DATE, fdateto DATE, fregionid INTEGER',
         ARRAY['fdatefrom', 'fdateto', 'fregionid'], ARRAY['NULL::date', 'NULL::date', '0']),
        (2, 'sp_xs_daily', 'fdatefrom DATE, fdateto DATE, fcustomer VARCHAR',
         ARRAY['fdatefrom', 'fdateto', 'fcustomer'], ARRAY['NULL::date', 'NULL::date', '''''']))
        AS v(qid, name, params, names, samples)
    LOOP
        SELECT qsql INTO body FROM qv_sqlreport WHERE qid = spec.qid;
        probe := body;
        FOR k IN 1 .. 3 LOOP
            body := regexp_replace(body, ':' || spec.names[k] || '\M', '$' || k, 'g');
            probe := regexp_replace(probe, ':' || spec.names[k] || '\M', spec.samples[k], 'g');
        END LOOP;
        DROP TABLE IF EXISTS drill_probe;
        EXECUTE 'CREATE TEMP TABLE drill_probe AS SELECT * FROM (' || probe || ') q LIMIT 0';
        SELECT string_agg(quote_ident(attname) || ' ' || format_type(atttypid, atttypmod), ', ' ORDER BY attnum)
          INTO columns
          FROM pg_attribute WHERE attrelid = 'drill_probe'::regclass AND attnum > 0 AND NOT attisdropped;
        DROP TABLE drill_probe;
        EXECUTE format('DROP FUNCTION IF EXISTS %I(%s)', spec.name, spec.params);
        EXECUTE format('CREATE FUNCTION %I(%s) RETURNS TABLE(%s) LANGUAGE sql STABLE AS %L',
                       spec.name, spec.params, columns, body);
    END LOOP;
END
$do$;
