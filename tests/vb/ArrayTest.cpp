// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "vb/Array.h"

#include "support/RaisedError.h"
#include "vb/Conversion.h"
#include "vb/Error.h"

#include <functional>
#include <gtest/gtest.h>

namespace vb {
namespace {

// "a,b/c,d": one group per value of the last index, Empty shown as "-".
std::string Dump(const Array& array) {
    std::string text;
    const auto append = [&text](bool isFirst, char separator, const Variant& value) {
        if (!isFirst) {
            text += separator;
        }
        text += value.IsEmpty() ? std::string("-") : CStr(value);
    };
    if (array.Dims() == 1) {
        for (long index = array.LBound(); index <= array.UBound(); ++index) {
            append(index == array.LBound(), ',', array.Get(index));
        }
        return text;
    }
    for (long index1 = array.LBound(2); index1 <= array.UBound(2); ++index1) {
        if (index1 > array.LBound(2)) {
            text += '/';
        }
        for (long index0 = array.LBound(1); index0 <= array.UBound(1); ++index0) {
            append(index0 == array.LBound(1), ',', array.Get(index0, index1));
        }
    }
    return text;
}

// Cells named by their position, so a dump shows which source cell is served where.
class NamedCells : public ArraySource {
public:
    Variant Get(std::size_t index0, std::size_t index1) const override {
        std::string name(1, 's');
        name += std::to_string(index0);
        name += std::to_string(index1);
        return name;
    }
};

TEST(ArrayTest, OutOfBoundsRaisesSubscript) {
    Array list({{1, 3}});
    Array grid({{0, 1}, {1, 2}});
    const auto view = Array::View(std::make_shared<NamedCells>(), 2, 2);
    struct Case {
        const char* name;
        std::function<void()> call;
        long expected;
    };
    const Case cases[] = {
        {"below the lower bound", [&] { list.Get(0); }, kErrSubscript},
        {"above the upper bound", [&] { list.Set(4, 1); }, kErrSubscript},
        {"two indexes on one dimension", [&] { list.Get(1, 1); }, kErrSubscript},
        {"one index on two dimensions", [&] { grid.Get(1); }, kErrSubscript},
        {"second index below its lower bound", [&] { grid.Get(0, 0); }, kErrSubscript},
        {"first index too high", [&] { grid.Set(2, 1, 1); }, kErrSubscript},
        {"view beyond its rows", [&] { view->Get(0, 2); }, kErrSubscript},
        {"no second dimension", [&] { list.UBound(2); }, kErrSubscript},
        {"three dimensions",
         [] {
             Array({{0, 1}, {0, 1}, {0, 1}});
         },
         kErrInvalidCall},
        {"corners are inside", [&] { grid.Get(1, 2), list.Get(3); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(vondrel::test::ErrorOf(c.call).number, c.expected);
    }
}

TEST(ArrayTest, ResizeKeepsElementsInPlace) {
    Array grid({{0, 1}, {5, 6}});
    for (long index1 = 5; index1 <= 6; ++index1) {
        for (long index0 = 0; index0 <= 1; ++index0) {
            grid.Set(index0, index1, static_cast<int>(index0 * 10 + index1));
        }
    }
    grid.Resize(7);
    EXPECT_EQ(Dump(grid), "5,15/6,16/-,-");
    grid.Resize(5);
    EXPECT_EQ(Dump(grid), "5,15");
    EXPECT_TRUE(grid.CheckConsistency());

    Array list({{0, 0}});
    list.Set(0, "a");
    list.Resize(-1);
    EXPECT_EQ(list.Count(), 0u);
    list.Resize(1);
    EXPECT_EQ(Dump(list), "-,-");
}

TEST(ArrayTest, ViewShowsWrittenCellsOverItsSource) {
    const auto view = Array::View(std::make_shared<NamedCells>(), 2, 3);
    view->Set(1, 0, "w");
    view->Set(0, 2, "x");
    EXPECT_EQ(Dump(*view), "s00,w/s01,s11/x,s12");

    // The copy is dense and independent of later writes to the view.
    const auto copy = view->Copy();
    view->Set(0, 0, "changed");
    EXPECT_EQ(Dump(*copy), "s00,w/s01,s11/x,s12");

    // Shrinking drops the cut cells; growing again gives Empty, not the source's old cells.
    view->Resize(0);
    EXPECT_TRUE(view->CheckConsistency());
    view->Resize(2);
    EXPECT_EQ(Dump(*view), "changed,w/-,-/-,-");
    EXPECT_TRUE(view->CheckConsistency());
}

TEST(ArrayTest, ViewFindsWrittenCellsAcrossItsWholeExtent) {
    // Cells in different 64-cell words, the last one, and one written after a growth past the size the
    // view had at its first write.
    const auto view = Array::View(std::make_shared<NamedCells>(), 3, 100);
    view->Set(0, 21, "a"); // offset 63
    view->Set(1, 21, "b"); // offset 64
    view->Set(2, 99, "c"); // the last cell
    view->Resize(199);
    view->Set(1, 150, "d");
    const struct {
        long index0, index1;
        const char* expected;
    } cases[] = {{0, 21, "a"},    {1, 21, "b"},    {2, 99, "c"},    {1, 150, "d"},
                 {2, 21, "s221"}, {0, 22, "s022"}, {1, 99, "s199"}, {2, 98, "s298"}};
    for (const auto& c : cases) {
        EXPECT_EQ(view->Get(c.index0, c.index1).AsString(), c.expected) << c.index0 << "," << c.index1;
    }
    EXPECT_TRUE(view->Get(0, 150).IsEmpty());
    EXPECT_TRUE(view->CheckConsistency());
}

TEST(ArrayTest, ReadingARunAgreesWithReadingEachCell) {
    // A run read in one call (a search reads a block of rows of one column that way, totals and
    // blanked zeros every row) must see what Get sees: written cells over the source, cells past a
    // regrowth as empty. Few written cells are walked, many are found by their bits: both ways are
    // covered.
    for (const int writtenCount : {2, 150}) {
        SCOPED_TRACE(writtenCount);
        const auto view = Array::View(std::make_shared<NamedCells>(), 3, 100);
        for (int k = 0; k < writtenCount; ++k) {
            std::string text = "w";
            text += std::to_string(k);
            view->Set(1, (k * 7) % 100, k % 2 == 0 ? Variant(text) : Variant(k));
        }
        view->Resize(119); // slices 100..119 are new, Empty
        std::vector<CellPeek> run(60);
        view->PeekRun(1, 60, 60, run.data());
        std::vector<Variant> values(60);
        view->GetRun(1, 60, 60, values.data());
        const auto dense = view->Copy();
        std::vector<Variant> denseValues(60);
        dense->GetRun(1, 60, 60, denseValues.data());
        for (long index1 = 60; index1 < 120; ++index1) {
            const Variant value = view->Get(1, index1);
            const CellPeek& peek = run[static_cast<std::size_t>(index1 - 60)];
            const CellPeek single = view->Peek(1, index1);
            EXPECT_EQ(values[static_cast<std::size_t>(index1 - 60)], value) << index1;
            EXPECT_EQ(denseValues[static_cast<std::size_t>(index1 - 60)], value) << index1;
            EXPECT_EQ(peek.kind, single.kind) << index1;
            EXPECT_EQ(peek.text, single.text) << index1;
            if (peek.kind == CellPeek::Kind::String) {
                EXPECT_EQ(peek.text, value.AsString()) << index1;
            } else if (peek.kind == CellPeek::Kind::NotString) {
                EXPECT_FALSE(value.IsString()) << index1;
            }
        }
    }
}

} // namespace
} // namespace vb
