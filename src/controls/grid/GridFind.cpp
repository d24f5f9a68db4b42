// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Finding text in the displayed texts of a grid of a million rows.
//
// Design notes.
//  1. A search compares what the user reads (the formatted text), but formatting every number of a
//     million rows costs a hundred times the compare. Two facts let it skip nearly all of that work:
//     a value that is not a string formats to ASCII plus the bytes of its format text (the formatter
//     has no other output), so a needle with a byte outside ASCII (any Chinese text) cannot occur in
//     a number, date or Boolean cell whose format is ASCII; and a data column the source stores as
//     numbers holds no string at all, so such a column is passed by without reading its cells. A
//     string under a number or date format shows as itself unless it is ASCII and parses, so for
//     such a needle its own text decides without formatting it.
//  2. String cells of the data array are read in place (vb::Array::PeekRun, a block of rows of one
//     column per call), never copied into a Variant. Sparse cells (totals, captions written by the window)
//     are walked with one iterator in row order beside the rows, so no cell costs a map look-up.
//  3. A search covers a bounded number of rows per call and hands back where it stopped; the window
//     calls it again from its event loop, so the user can still type, scroll or close meanwhile.
#include "controls/grid/GridModel.h"

#include <algorithm>
#include <climits>
#include <string_view>

namespace grid {

namespace {

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
}

bool HasAsciiLetter(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char ch) { return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); });
}

char FoldAscii(char ch) {
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

// The query prepared once per search.
class Matcher {
public:
    explicit Matcher(const FindQuery& query)
        : m_isWholeCell(query.isWholeCell), m_isFolding(!query.isMatchCase && HasAsciiLetter(query.text)),
          m_isAsciiNeedle(IsAscii(query.text)), m_needle(query.text) {
        if (m_isFolding) {
            std::transform(m_needle.begin(), m_needle.end(), m_needle.begin(), FoldAscii);
        }
    }

    bool IsEmpty() const { return m_needle.empty(); }
    // A value that is not a string, shown in a format of ASCII text, only shows ASCII (note 1).
    bool CanMatchNonString(bool isFormatAscii) const { return m_isAsciiNeedle || !isFormatAscii; }

    [[gnu::always_inline]] bool Matches(std::string_view text) const {
        if (m_isFolding) {
            m_folded.assign(text.begin(), text.end());
            std::transform(m_folded.begin(), m_folded.end(), m_folded.begin(), FoldAscii);
            text = m_folded;
        }
        return m_isWholeCell ? text == m_needle : text.find(m_needle) != std::string_view::npos;
    }

private:
    bool m_isWholeCell;
    bool m_isFolding;
    bool m_isAsciiNeedle;
    std::string m_needle;
    mutable std::string m_folded;
};

} // namespace

// Calls visit(row, col) for every matching cell of rows firstRow..lastRow (data rows, shown columns),
// in row-major order, until visit returns false.
template <class Visit>
void GridModel::ScanRows(const FindQuery& query, int firstRow, int lastRow, Visit visit) const {
    const Matcher matcher(query);
    firstRow = std::max(firstRow, m_headerRows);
    lastRow = std::min(lastRow, m_rowCount - 1);
    if (matcher.IsEmpty() || firstRow > lastRow) {
        return;
    }
    // Per column: shown, general format, ASCII format, and whether a non-string cell can match.
    struct ColumnPlan {
        int col;
        bool isGeneral;
        bool canMatchNonString;
        bool isTextDeciding; // a string cell matches exactly when its own text does (see below)
    };
    std::vector<ColumnPlan> plans;
    for (int col = 0; col < GridColCount(); ++col) {
        const Column& column = m_columns[static_cast<std::size_t>(col)];
        if (column.isHidden) {
            continue;
        }
        const vb::DisplayFormat& format = m_formats[column.formatId];
        const bool canMatchNonString = matcher.CanMatchNonString(IsAscii(format.Text()));
        plans.push_back(
            {col, format.IsGeneral(), canMatchNonString, format.IsGeneral() || !canMatchNonString});
    }
    // Per source: the columns a row without sparse cells must read, in order. Columns that hold no
    // text and whose cells cannot match are passed by (note 1). A source whose missing columns would
    // show their format's text has no short list; its rows take the full path.
    struct SourcePlan {
        std::vector<ColumnPlan> reads;
        std::vector<char> isPassedBy; // by column
        bool hasShortList = true;
    };
    std::vector<SourcePlan> sourcePlans(m_sources.size());
    for (std::size_t index = 0; index < m_sources.size(); ++index) {
        const Source& source = m_sources[index];
        SourcePlan& sourcePlan = sourcePlans[index];
        sourcePlan.isPassedBy.assign(static_cast<std::size_t>(GridColCount()), 0);
        for (const ColumnPlan& plan : plans) {
            if (plan.col >= source.cols) {
                sourcePlan.hasShortList =
                    sourcePlan.hasShortList && (plan.isGeneral || !plan.canMatchNonString);
            } else if (!plan.canMatchNonString && source.array->HoldsNoText(source.lower0 + plan.col)) {
                sourcePlan.isPassedBy[static_cast<std::size_t>(plan.col)] = 1;
            } else {
                sourcePlan.reads.push_back(plan);
            }
        }
    }

    std::string text;
    // A cell of the data array, looked at in place.
    const auto isPeekMatch = [&](const vb::CellPeek& peek, int row, const ColumnPlan& plan) {
        // A string shows as itself unless a format turns it into a number or date, which only happens
        // to ASCII strings: so with a needle beyond ASCII the string decides.
        if (peek.kind == vb::CellPeek::Kind::String && plan.isTextDeciding) {
            return matcher.Matches(peek.text);
        }
        if (peek.kind == vb::CellPeek::Kind::NotString && !plan.canMatchNonString) {
            return false;
        }
        text.clear();
        AppendCellText(row, plan.col, text);
        return matcher.Matches(text);
    };
    // The short list's cells are read a block of rows at a time, column by column (note 2).
    constexpr int kBlockRows = 256;
    std::vector<vb::CellPeek> block;
    int blockSource = -1;
    int blockFirstRow = 0;
    int blockRowCount = 0;
    auto entry = m_cells.lower_bound(Key(firstRow, 0));
    auto piece = std::upper_bound(m_pieceStarts.begin(), m_pieceStarts.end(), firstRow);
    std::size_t pieceIndex = static_cast<std::size_t>(piece - m_pieceStarts.begin()) - 1;
    for (int row = firstRow; row <= lastRow; ++row) {
        while (pieceIndex + 1 < m_pieceStarts.size() && row >= m_pieceStarts[pieceIndex + 1]) {
            ++pieceIndex;
        }
        const RowPiece* rowPiece = m_pieces.empty() ? nullptr : &m_pieces[pieceIndex];
        const Source* source = rowPiece && rowPiece->source >= 0
                                   ? &m_sources[static_cast<std::size_t>(rowPiece->source)]
                                   : nullptr;
        const long record =
            source ? source->lower1 + rowPiece->firstRecord + (row - m_pieceStarts[pieceIndex]) : 0;
        while (entry != m_cells.end() && entry->first < Key(row, 0)) {
            ++entry;
        }
        const bool hasSparseCells = entry != m_cells.end() && entry->first < Key(row + 1, 0);
        // Nearly every row: only the columns that must be read, straight from the array.
        if (source && !hasSparseCells &&
            sourcePlans[static_cast<std::size_t>(rowPiece->source)].hasShortList) {
            const std::vector<ColumnPlan>& reads =
                sourcePlans[static_cast<std::size_t>(rowPiece->source)].reads;
            if (rowPiece->source != blockSource || row < blockFirstRow ||
                row >= blockFirstRow + blockRowCount) {
                const int pieceEnd = m_pieceStarts[pieceIndex] + rowPiece->count;
                blockSource = rowPiece->source;
                blockFirstRow = row;
                blockRowCount = std::min({kBlockRows, lastRow - row + 1, pieceEnd - row});
                block.resize(reads.size() * kBlockRows);
                for (std::size_t index = 0; index < reads.size(); ++index) {
                    source->array->PeekRun(source->lower0 + reads[index].col, record,
                                           static_cast<std::size_t>(blockRowCount),
                                           &block[index * kBlockRows]);
                }
            }
            // The rest of the block up to the next row with sparse cells, in one go.
            const int nextSparseRow = entry == m_cells.end() ? INT_MAX : static_cast<int>(entry->first >> 32);
            const int stopRow = std::min(blockFirstRow + blockRowCount, nextSparseRow);
            for (; row < stopRow; ++row) {
                const std::size_t inBlock = static_cast<std::size_t>(row - blockFirstRow);
                for (std::size_t index = 0; index < reads.size(); ++index) {
                    const vb::CellPeek& peek = block[index * kBlockRows + inBlock];
                    // The common case inline: a text cell whose own text decides.
                    const bool isMatch =
                        peek.kind == vb::CellPeek::Kind::String && reads[index].isTextDeciding
                            ? matcher.Matches(peek.text)
                            : isPeekMatch(peek, row, reads[index]);
                    if (isMatch && !visit(row, reads[index].col)) {
                        return;
                    }
                }
            }
            --row; // the loop's step moves on to stopRow
            continue;
        }
        for (const ColumnPlan& plan : plans) {
            const std::uint64_t key = Key(row, plan.col);
            while (entry != m_cells.end() && entry->first < key) {
                ++entry;
            }
            bool isMatch = false;
            if (entry != m_cells.end() && entry->first == key) {
                const CellEntry& cell = entry->second;
                if (cell.hasValue && !cell.value.IsString() && cell.formatId == 0 &&
                    !plan.canMatchNonString) {
                    continue;
                }
                text.clear();
                AppendCellText(row, plan.col, text);
                isMatch = matcher.Matches(text);
            } else if (!source || plan.col >= source->cols) {
                // An empty cell: no text in a general format, nothing but the format's own otherwise.
                if (plan.isGeneral || !plan.canMatchNonString) {
                    continue;
                }
                text.clear();
                AppendCellText(row, plan.col, text);
                isMatch = matcher.Matches(text);
            } else if (sourcePlans[static_cast<std::size_t>(rowPiece->source)]
                           .isPassedBy[static_cast<std::size_t>(plan.col)]) {
                continue;
            } else {
                isMatch = isPeekMatch(source->array->Peek(source->lower0 + plan.col, record), row, plan);
            }
            if (isMatch && !visit(row, plan.col)) {
                return;
            }
        }
    }
}

FindStep GridModel::FindText(const FindQuery& query, CellPos from, bool isBackward, int rowBudget) const {
    rowBudget = std::max(rowBudget, 1);
    const int firstData = m_headerRows;
    const int lastData = m_rowCount - 1;
    if (query.text.empty() || firstData > lastData) {
        return {};
    }
    const bool isInData = from.row >= firstData && from.row <= lastData;
    if (!isBackward) {
        if (!isInData) {
            from = {firstData, -1};
        } else if (from.col >= GridColCount() - 1) {
            // Nothing is left of this row: the budget goes to the rows after it.
            from = {from.row + 1, -1};
            if (from.row > lastData) {
                return {};
            }
        }
        const int lastRow =
            static_cast<int>(std::min<long>(lastData, static_cast<long>(from.row) + rowBudget - 1));
        FindStep step{FindStep::State::Continue, {lastRow, GridColCount()}};
        ScanRows(query, from.row, lastRow, [&](int row, int col) {
            if (row == from.row && col <= from.col) {
                return true;
            }
            step = {FindStep::State::Found, {row, col}};
            return false;
        });
        if (step.state == FindStep::State::Continue && lastRow == lastData) {
            step.state = FindStep::State::NotFound;
        }
        return step;
    }
    if (!isInData) {
        from = {lastData, GridColCount()};
    } else if (from.col <= 0) {
        from = {from.row - 1, GridColCount()};
        if (from.row < firstData) {
            return {};
        }
    }
    const int firstRow =
        static_cast<int>(std::max<long>(firstData, static_cast<long>(from.row) - rowBudget + 1));
    FindStep step{FindStep::State::Continue, {firstRow, -1}};
    ScanRows(query, firstRow, from.row, [&](int row, int col) {
        if (row == from.row && col >= from.col) {
            return false;
        }
        step = {FindStep::State::Found, {row, col}}; // the last match before `from` wins
        return true;
    });
    if (step.state == FindStep::State::Continue && firstRow == firstData) {
        step.state = FindStep::State::NotFound;
    }
    return step;
}

long GridModel::CountMatches(const FindQuery& query, int firstRow, int rowCount) const {
    long count = 0;
    const long lastRow = std::min<long>(m_rowCount - 1, static_cast<long>(firstRow) + rowCount - 1);
    ScanRows(query, firstRow, static_cast<int>(lastRow), [&](int, int) {
        ++count;
        return true;
    });
    return count;
}

} // namespace grid
