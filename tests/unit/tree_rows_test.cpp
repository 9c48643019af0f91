// The protocol tree's row index: which row a console command's item data names.
#include <gtest/gtest.h>

#include "panel/tree_rows.h"

using panel::CTreeRows;

TEST(TreeRows, TheFirstRowAddedWithTheDataAnswersUntilItLeaves) {
    CTreeRows rows;
    rows.Add(100, 0x10);  // an exam
    rows.Add(101, 0x20);  // its protocols, one of them sent twice with the same data
    rows.Add(102, 0x30);
    rows.Add(101, 0x40);
    EXPECT_EQ(rows.Find(101), CTreeRows::Row{0x20});
    EXPECT_EQ(rows.Find(100), CTreeRows::Row{0x10});
    EXPECT_EQ(rows.Find(999), std::nullopt);

    rows.Remove(0x20);  // the tree deleted the first one: the next one with the data takes over
    EXPECT_EQ(rows.Find(101), CTreeRows::Row{0x40});
    rows.Remove(0x40);
    EXPECT_EQ(rows.Find(101), std::nullopt);
    EXPECT_EQ(rows.Find(102), CTreeRows::Row{0x30});
    EXPECT_EQ(rows.Size(), 2u);
}

TEST(TreeRows, ClearingForgetsEverythingAndHandlesComeBackAsNewRows) {
    CTreeRows rows;
    rows.Add(1, 0x10);
    rows.Add(2, 0x20);
    rows.Clear();
    EXPECT_EQ(rows.Find(1), std::nullopt);
    EXPECT_EQ(rows.Size(), 0u);
    // The tree may hand out a freed handle again, for a row with other data.
    rows.Add(2, 0x10);
    EXPECT_EQ(rows.Find(2), CTreeRows::Row{0x10});
    EXPECT_EQ(rows.Find(1), std::nullopt);
}

TEST(TreeRows, UnknownRowsAndRepeatsChangeNothing) {
    CTreeRows rows;
    rows.Add(7, 0x10);
    rows.Add(8, 0x10);  // a handle the index holds already keeps its first data
    rows.Add(9, 0);     // no row
    rows.Remove(0x99);  // a row the index never held (not added by a console command)
    EXPECT_EQ(rows.Find(7), CTreeRows::Row{0x10});
    EXPECT_EQ(rows.Find(8), std::nullopt);
    EXPECT_EQ(rows.Find(9), std::nullopt);
    EXPECT_EQ(rows.Size(), 1u);
}
