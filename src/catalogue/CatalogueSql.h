// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "vb/Variant.h"

#include <cstdint>
#include <string>
#include <string_view>

// Every statement the system issues on the catalogue tables, in one place. Each is the fixed text the
// host databases have always received, completed with typed values: ids and columns are written as
// plain decimals, texts between single quotes with every quote doubled, and a user id (which comes
// from the host's login record) is checked to be a number before it is written.
namespace QV_GridPrint::catalogue {

// qv_report
std::string SelectReportById(std::int16_t reportId);         // the host's and the reset's look-up
std::string SelectReportByIdForDrill(std::int16_t reportId); // drill-down and return
std::string SelectReportByGroupAndName(std::int16_t groupId, std::string_view reportName);
std::string SelectReportNamesOfGroup(std::int16_t groupId);
// qv_rptgrp
std::string SelectGroup(std::int16_t groupId);
std::string SelectAllGroups();  // for listing the catalogue (tools), ordered by id
std::string SelectAllReports(); // for listing the catalogue (tools), ordered by group and id
// qv_rptdetail, qv_rptpara
std::string SelectDrillLinksOfParent(std::int16_t reportId);
std::string SelectDrillLinksOfChild(std::int16_t reportId);
std::string CountReportParameters(std::int16_t reportId);
// QV_RptChangeColFormat. userId raises type mismatch unless it is a number.
std::string SelectOverridesOfColumn(std::int16_t reportId, long column);
std::string SelectOverridesOfUser(const vb::Variant& userId, std::int16_t reportId);
std::string SelectOverridesOfUserColumn(const vb::Variant& userId, long column, std::int16_t reportId);
std::string InsertFixedColumnOverride(const vb::Variant& userId, std::int16_t reportId, long column,
                                      std::int16_t begRow, std::int16_t endRow, double widthPx,
                                      std::string_view caption);
std::string UpdateOverrideWidth(double widthPx, const vb::Variant& userId, std::int16_t reportId,
                                long column);
// A fixed-column row written for an earlier drawing of the template: header rows, width and caption
// as the template is now. Variable-column rows of the triple are left alone.
std::string RewriteFixedColumnOverride(const vb::Variant& userId, std::int16_t reportId, long column,
                                       std::int16_t begRow, std::int16_t endRow, double widthPx,
                                       std::string_view caption);
std::string DeleteOverridesOfReport(std::int16_t reportId);
std::string UpdateOverrideCaptionAndDecimals(long decimals, std::string_view caption, std::int16_t reportId,
                                             long column);

} // namespace QV_GridPrint::catalogue
