// The in-memory item list, and above all its lookup of the first row by item
// number, which must answer exactly as a visit of every row would.
#include <random>

#include <gtest/gtest.h>

#include "engine/MemoryItemList.h"

namespace qm {

namespace {

// The reference: visit the rows in order; reading the last sub-item of a row
// that has none ends the visit without an answer.
int VisitRows(const ItemList& list, const std::string& text) {
    try {
        for (int row = 0; row < list.RowCount(); ++row)
            if (list.SubItem(row, list.SubItemCount(row) - 1) == text) return row;
    } catch (const std::out_of_range&) {
    }
    return -1;
}

}  // namespace

TEST(MemoryItemListTest, NewRowsAreCheckedAndBlank) {
    MemoryItemList list;
    const int row = list.AddRow();
    EXPECT_EQ(row, 0);
    EXPECT_TRUE(list.Checked(row));
    EXPECT_EQ(list.ImageIndex(row), -1);
    EXPECT_EQ(list.Caption(row), "");
    EXPECT_EQ(list.SubItemCount(row), 0);
    EXPECT_THROW(list.SubItem(row, -1), std::out_of_range);
}

TEST(MemoryItemListTest, FirstRowByLastSubItemFollowsRowsAsTheyGrow) {
    MemoryItemList list;
    const int a = list.AddRow();
    list.AddSubItem(a, "owner");
    list.AddSubItem(a, "7");
    const int b = list.AddRow();
    list.AddSubItem(b, "7");
    EXPECT_EQ(list.FindFirstRowByLastSubItem("7"), a) << "the first of two rows with one number";
    list.AddSubItem(a, "8");
    EXPECT_EQ(list.FindFirstRowByLastSubItem("7"), b) << "row a's last sub-item is now 8";
    EXPECT_EQ(list.FindFirstRowByLastSubItem("owner"), -1) << "only the last sub-item counts";
    list.AddRow();  // a row without sub-items before nothing that matches
    EXPECT_EQ(list.FindFirstRowByLastSubItem("9"), -1);
    list.Clear();
    EXPECT_EQ(list.FindFirstRowByLastSubItem("8"), -1);
}

TEST(MemoryItemListTest, LookupAgreesWithVisitingEveryRow) {
    std::mt19937 random(12345);
    for (int round = 0; round < 50; ++round) {
        MemoryItemList list;
        for (int step = 0; step < 200; ++step) {
            const int what = static_cast<int>(random() % 10);
            if (what < 3 || list.RowCount() == 0) {
                list.AddRow();
            } else {
                const int row = static_cast<int>(random() % static_cast<unsigned>(list.RowCount()));
                list.AddSubItem(row, std::to_string(random() % 6));
            }
            const std::string key = std::to_string(random() % 7);
            ASSERT_EQ(list.FindFirstRowByLastSubItem(key), VisitRows(list, key))
                << "round " << round << ", step " << step << ", key " << key;
        }
    }
}

}  // namespace qm
