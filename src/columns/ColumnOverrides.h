// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "vb/Variant.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ado {
class Connection;
}
namespace grid {
class GridModel;
}
namespace sheet {
class SheetDocument;
}
namespace ui {
class Services;
}

namespace QV_GridPrint {
class clsGridPrint;
}

// The per-user column overrides kept in QV_RptChangeColFormat: applying them to a template, saving the
// grid's widths at close, the reset, and the column-caption gate.
namespace QV_GridPrint::columns {

// The user of the override rows: field fuserid of the login record, which is written into statements
// unquoted and so must be a number. A window keeps one of these: a non-numeric (or Null) fuserid is
// reported once, then the overrides are left alone (neither read nor saved) for the window's life. A
// login without a row or without that field means no personal settings, silently.
class OverrideUser {
public:
    std::optional<vb::Variant> Get(clsGridPrint& host, ui::Services& services);

private:
    bool m_isReported = false;
};

// The template's header rows (first and last, template row indexes) as its markers place them.
struct HeaderRows {
    int first = 0;
    int last = 0;
    friend bool operator==(const HeaderRows&, const HeaderRows&) = default;
};

// Writes the user's rows for the report into one freshly loaded template sheet whose header rows are
// `header`: widths and captions of fixed columns; variable columns inserted or appended with caption,
// field, alignment, number format, totals flag and width; then the merge left of the first variable
// column. A fixed-column row written for another drawing of the template (other header rows) gets
// only its width applied, and one whose column the template no longer has nothing; a caption with
// fewer levels than header rows sets the levels it has. A database error or a Null or out-of-range
// number raises vb::Error, leaving the cells written so far.
void ApplyChangeFormat(ado::Connection& cnn, const vb::Variant& userId, std::int16_t reportId,
                       sheet::SheetDocument& sheet, const HeaderRows& header);

// The header texts of a grid column from the top header row down, joined by ",", one part per header
// row even where a text is empty, so that the caption reads back level by level.
std::string HeaderCaption(const grid::GridModel& grid, int col);

// Saves every column's width (hidden ones too) in pixels: a new fixed-column row with the header
// caption when the user has none for that column; a fixed-column row written for other header rows is
// rewritten for `header` (rows, width, caption); otherwise fwidth of the user's rows. Every column is
// tried; what failed is returned as one text for the caller to say once.
std::optional<std::string> SaveColumnWidths(ado::Connection& cnn, const vb::Variant& userId,
                                            std::int16_t reportId, const grid::GridModel& grid,
                                            const HeaderRows& header, double twipsPerPixelX);

// The reset: deletes every user's rows of the report, then runs the report's variable-column
// procedure (qv_report.fchangecol; none when NULL or blank) with the parameter values in order and
// then the user id. Each step runs even when the one before failed; the caller refetches afterwards.
void ResetOverrides(const std::shared_ptr<ado::Connection>& cnn, std::int16_t reportId,
                    const std::vector<std::string>& paraValue, const vb::Variant& userId);

// True when any user has a row for the report and column: the column-caption dialog is offered only
// then. A database error is raised.
bool HasColumnOverrides(ado::Connection& cnn, std::int16_t reportId, long column);

} // namespace QV_GridPrint::columns
