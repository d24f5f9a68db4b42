// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "printsheet/PageFields.h"

#include "ado/Recordset.h"
#include "controls/sheet/SheetDocument.h"
#include "vb/Conversion.h"
#include "vb/Error.h"
#include "vb/Strings.h"

namespace QV_GridPrint {
namespace {

// A login field the host did not provide must not stop a print: it prints empty.
vb::Variant LoginValue(const ado::Recordset& rsLogin, const char* name) {
    try {
        if (rsLogin.State() != ado::adStateOpen || rsLogin.IsEOF() || rsLogin.BOF() ||
            !rsLogin.HasField(name)) {
            return vb::Variant::Null();
        }
        return rsLogin.Fields(name).Value();
    } catch (const std::exception&) {
        return vb::Variant::Null();
    }
}

std::string TextOf(const vb::Variant& value) {
    if (value.IsNull() || value.IsEmpty()) {
        return {};
    }
    try {
        return vb::CStr(value);
    } catch (const std::exception&) {
        return {};
    }
}

std::string CellText(const sheet::SheetDocument& doc, int col, int row) {
    vb::Variant text;
    if (!doc.GetCellText(col, row, text) || text.IsNull()) {
        return {};
    }
    return vb::CStr(text);
}

void GrowByOneRow(sheet::SheetDocument& doc) {
    if (!doc.SetSheetRowCount(doc.SheetRowCount() + 1)) {
        throw vb::Error(vb::kErrInvalidCall, "打印表的行数已到上限，页脚行无法加入");
    }
}

} // namespace

LoginFields ReadLoginFields(const ado::Recordset* rsLogin) {
    LoginFields fields{vb::Variant::Null(), vb::Variant::Null(), vb::Variant::Null()};
    if (rsLogin) {
        fields.FUsername = LoginValue(*rsLogin, "FUsername");
        fields.FAcctName = LoginValue(*rsLogin, "FAcctName");
        fields.Flogindate = LoginValue(*rsLogin, "Flogindate");
    }
    return fields;
}

std::optional<std::string> FieldKeyOf(std::string_view cellText) {
    if (cellText.size() < 2 || cellText[0] != '&' || (cellText[1] != 'P' && cellText[1] != 'p')) {
        return std::nullopt;
    }
    return vb::UCase(vb::Trim(cellText.substr(2)));
}

std::string FieldText(std::string_view cellText, const PageFieldValues& values) {
    const std::optional<std::string> key = FieldKeyOf(cellText);
    if (!key) {
        return std::string(cellText);
    }
    if (const std::optional<double> number = vb::TryParseNumber(*key)) {
        const double index = vb::RoundHalfEven(*number);
        // Compared as a double first: a key such as 1E300 must not wrap into a valid index.
        if (index >= 0 && index < static_cast<double>(values.ParaText.size())) {
            return values.ParaText[static_cast<std::size_t>(index)];
        }
        return std::string(cellText);
    }
    if (*key == "USER") {
        return TextOf(values.login.FUsername);
    }
    if (*key == "ACCT") {
        return TextOf(values.login.FAcctName);
    }
    if (*key == "DATE") {
        return TextOf(values.login.Flogindate);
    }
    return std::string(cellText);
}

void SetCellPara(const sheet::SheetDocument& cll, sheet::SheetDocument& clldata, int vHeadStart,
                 const PageFieldValues& values) {
    const int lastRow = std::min(vHeadStart, cll.SheetRowCount()) - 1;
    for (int row = 0; row <= lastRow; ++row) {
        for (int col = 0; col < cll.StoredColCount(row); ++col) {
            const std::string text = CellText(cll, col, row);
            if (FieldKeyOf(text)) {
                clldata.SetCellText(col, row, FieldText(text, values));
            } else if (vb::LCase(text) == "start") {
                clldata.SetCellText(col, row, "");
            }
        }
    }
}

void SetCellDownPara(const sheet::SheetDocument& cll, sheet::SheetDocument& clldata, int iHeadEnd,
                     const PageFieldValues& values) {
    const int lastCol = cll.SheetColCount() - 1;
    int copiedRow = -1;
    for (int row = std::max(0, iHeadEnd + 3); row < cll.SheetRowCount(); ++row) {
        for (int col = 0; col < cll.StoredColCount(row); ++col) {
            const std::string text = CellText(cll, col, row);
            if (!FieldKeyOf(text)) {
                continue;
            }
            if (row != copiedRow) {
                GrowByOneRow(clldata);
                cll.CopyRange(0, row, lastCol, row);
                clldata.PasteAt(0, clldata.SheetRowCount() - 1, true);
                copiedRow = row;
            }
            clldata.SetCellText(col, clldata.SheetRowCount() - 1, FieldText(text, values));
        }
    }
}

namespace {

bool Overlaps(const ParaLabel& label, const TwipsRect& box) {
    return label.leftTwips < box.Right() && box.left < label.leftTwips + label.widthTwips &&
           label.topTwips < box.Bottom() && box.top < label.topTwips + label.heightTwips;
}

} // namespace

void LayoutParaLabels(const std::vector<std::string>& ParaText, std::vector<ParaLabel>& labels,
                      const std::optional<TwipsRect>& selector) {
    labels.resize(1);
    if (ParaText.empty()) {
        labels[0].caption.clear();
        return;
    }
    labels.resize(ParaText.size());
    // How far the labels of each column moved down to clear the selector.
    int shift[2] = {0, 0};
    for (std::size_t index = 0; index < ParaText.size(); ++index) {
        const int k = static_cast<int>(index);
        const int column = k > 2 ? 1 : 0;
        ParaLabel& label = labels[index];
        label.caption = ParaText[index];
        // The first three labels form one column, all further ones a second column to its right.
        label.leftTwips = k > 2 ? 9250 : 6000;
        label.topTwips = (k > 2 ? 650 + (k - 3) * 250 : 650 + k * 250) + shift[column];
        label.widthTwips = 3000;
        label.heightTwips = 230;
        label.colour = kSystemWindowColour;
        label.fontSize = kParaLabelFontSize;
        label.isVisible = true;
        if (selector && selector->width > 0 && selector->height > 0 && Overlaps(label, *selector)) {
            if (label.leftTwips < selector->left) {
                label.widthTwips = selector->left - label.leftTwips;
            } else {
                shift[column] += selector->Bottom() - label.topTwips;
                label.topTwips = selector->Bottom();
            }
        }
    }
}

} // namespace QV_GridPrint
