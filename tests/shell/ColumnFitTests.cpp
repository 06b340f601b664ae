// How the columns of a list share its width.
#include <numeric>

#include <gtest/gtest.h>

#include "shell/ColumnFit.h"

namespace qm {

namespace {

constexpr ColumnRole F = ColumnRole::Fitted, O = ColumnRole::Object, H = ColumnRole::Hidden;

}  // namespace

TEST(ColumnFit, TheObjectsStayInViewAndTheListHasNoScrollBar) {
    struct Case {
        const char* what;
        std::vector<ColumnNeed> columns;
        int available;
        std::vector<int> widths;
    };
    const Case cases[] = {
        {"all fit: the room left over goes to the first object",
         {{F, 60, 40}, {F, 80, 40}, {O, 200, 80}, {O, 100, 60}},
         600,
         {60, 80, 360, 100}},
        {"a long pest name is cut to a quarter",
         {{F, 100, 40}, {F, 900, 40}, {O, 300, 80}, {H, 50, 0}},
         800,
         {100, 200, 500, 0}},
        {"a long path shrinks; the short value keeps all it wants",
         {{F, 70, 40}, {F, 90, 40}, {O, 1200, 80}, {O, 120, 60}},
         640,
         {70, 90, 360, 120}},
        {"two long objects share equally",
         {{F, 100, 40}, {O, 900, 80}, {O, 700, 60}},
         700,
         {100, 300, 300}},
        {"fitted columns give way to keep the objects' share",
         {{F, 200, 40}, {F, 200, 40}, {F, 200, 40}, {O, 500, 80}},
         600,
         {110, 110, 110, 270}},
        {"no object: the last fitted column takes the rest",
         {{F, 50, 40}, {F, 60, 40}},
         300,
         {50, 250}},
        {"a list of no width", {{F, 50, 40}, {O, 60, 40}}, 0, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<int> widths = FitColumnWidths(c.columns, c.available);
        EXPECT_EQ(widths, c.widths);
        EXPECT_LE(std::accumulate(widths.begin(), widths.end(), 0), c.available) << "no horizontal scroll bar";
    }
}

}  // namespace qm
