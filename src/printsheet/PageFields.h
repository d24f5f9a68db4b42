// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "vb/Variant.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ado {
class Recordset;
}
namespace sheet {
class SheetDocument;
}

// The page fields of a report's template: cells of the title and footer rows whose text begins with
// "&P" stand for a parameter text of the report or a field of the login record, and the parameter
// line the window shows on screen.
namespace QV_GridPrint {

// The three login fields a page may print. A field the record does not have, a closed or empty
// record and a Null value all print as empty text.
struct LoginFields {
    vb::Variant FUsername;
    vb::Variant FAcctName;
    vb::Variant Flogindate;
};
// Reads the fields from the current record of the login record; never raises (see LoginFields).
LoginFields ReadLoginFields(const ado::Recordset* rsLogin);

// What field cells are replaced with: the report's parameter texts (0-based) and the login fields.
struct PageFieldValues {
    std::vector<std::string> ParaText;
    LoginFields login;
};

// The field key of a cell text: the text after "&P" (the first two characters compared in upper
// case), trimmed of spaces and upper-cased. nullopt when the text is not a field cell.
std::optional<std::string> FieldKeyOf(std::string_view cellText);

// What a field cell prints. Numeric keys (rounded to whole numbers, halves to even: "&P01", "&p 1" and
// "&P1.5" name parameters 1, 1 and 2) give that parameter's text, or the cell's own text when there
// is no such parameter; USER, ACCT and DATE give the login fields as text; any other key gives the
// cell's own text. A text that is not a field cell is returned unchanged.
std::string FieldText(std::string_view cellText, const PageFieldValues& values);

// Title rows 0 .. vHeadStart - 1 of the template: every field cell is written to the same cell of the
// print sheet with its value, and a cell reading "start" (any case) is blanked there. Other cells keep
// what the print sheet holds.
void SetCellPara(const sheet::SheetDocument& cll, sheet::SheetDocument& clldata, int vHeadStart,
                 const PageFieldValues& values);

// Footer rows from iHeadEnd + 3 (the row after the "end" marker) to the template's last row: each
// row holding at least one field cell is appended below the print sheet's last row, copied whole
// (texts, styles, merges, height), with its field cells replaced; rows without field cells are not
// printed. Rows keep their template order.
void SetCellDownPara(const sheet::SheetDocument& cll, sheet::SheetDocument& clldata, int iHeadEnd,
                     const PageFieldValues& values);

// One label of the parameter line, as the window draws it: positions and sizes in twips from the
// top-left of the window's inner area, colour a BGR number or a system colour (0x80000000 + index).
struct ParaLabel {
    std::string caption;
    int leftTwips = 0;
    int topTwips = 0;
    int widthTwips = 0;
    int heightTwips = 0;
    long colour = 0;
    double fontSize = 0; // points
    bool isVisible = false;
    friend bool operator==(const ParaLabel&, const ParaLabel&) = default;
};

// The window-background system colour: the parameter line shows light on the banner.
inline constexpr long kSystemWindowColour = 0x80000005L;
inline constexpr double kParaLabelFontSize = 10.0;

// A rectangle in twips from the top-left of the window's inner area.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

// The label block for the parameter texts: label k at left 6000, top 650 + 250 k for k = 0..2, and at
// left 9250, top 650 + 250 (k - 3) for k >= 3; each 3000 x 230 twips. `labels` is the window's label
// array: label 0 always exists and is reused; every other label is replaced. With no parameter texts
// label 0 is blanked, so the parameter line never shows another report's parameter.
// `selector` is where the record selector stands when it is shown. The labels flow around it: a label
// that begins left of it is narrowed to end at its left edge, and one that begins over it moves below
// it, taking the labels after it in its column down by the same distance.
void LayoutParaLabels(const std::vector<std::string>& ParaText, std::vector<ParaLabel>& labels,
                      const std::optional<TwipsRect>& selector = std::nullopt);

} // namespace QV_GridPrint
