#include "TestPictures.h"

#include "engine/history/QVUndoRedo.h"

#include <memory>
#include <vector>

namespace {

// Pictures 0, 1, 2 ... told apart by their fill value.
class History : public testing::Test
{
protected:
    const QVDIB* State(int n)
    {
        while (int(states.size()) <= n) {
            auto p = std::make_unique<QVDIB>();
            EXPECT_TRUE(p->Create(6, 3, 24));
            Fill(*p, uint8_t(states.size() * 10 + 5));
            states.push_back(std::move(p));
        }
        return states[size_t(n)].get();
    }
    static int Which(const QVDIB* p) { return p ? (p->GetBits()[0] - 5) / 10 : -1; }

    std::vector<std::unique_ptr<QVDIB>> states;
    QVUndoRedo history;
};

TEST_F(History, StartsEmptyAndRefusesNull)
{
    EXPECT_EQ(history.GetCount(), 0);
    EXPECT_EQ(history.GetCurrent(), -1);
    EXPECT_EQ(history.GetCapacity(), 10);
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.Undo(), nullptr);
    EXPECT_EQ(history.Redo(), nullptr);
    EXPECT_FALSE(history.Add(nullptr));
    EXPECT_EQ(history.GetCount(), 0);
}

TEST_F(History, OpenedPictureAloneAllowsNeitherUndoNorRedo)
{
    ASSERT_TRUE(history.Add(State(0)));
    EXPECT_EQ(history.GetCount(), 1);
    EXPECT_EQ(history.GetCurrent(), 0);
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.Undo(), nullptr);
    EXPECT_EQ(history.GetCurrent(), 0);
}

TEST_F(History, SnapshotsAreCopies)
{
    QVDIB picture;
    ASSERT_TRUE(picture.CopyFrom(State(1)));
    ASSERT_TRUE(history.Add(&picture));
    Fill(picture, 99);
    ASSERT_TRUE(history.Add(&picture));
    EXPECT_EQ(Which(history.Undo()), 1);
    EXPECT_NE(history.GetSnapshot(0)->GetBits(), picture.GetBits());
}

TEST_F(History, UndoRedoAndANewStepDropsTheRedoTail)
{
    for (int i = 0; i <= 3; ++i) // opened picture and three strokes
        ASSERT_TRUE(history.Add(State(i)));
    EXPECT_EQ(Which(history.Undo()), 2);
    EXPECT_EQ(Which(history.Undo()), 1);
    EXPECT_EQ(history.GetCurrent(), 1);
    EXPECT_TRUE(history.CanRedo());
    EXPECT_EQ(Which(history.Redo()), 2);
    EXPECT_EQ(Which(history.Undo()), 1);

    ASSERT_TRUE(history.Add(State(4)));
    EXPECT_EQ(history.GetCount(), 3);
    EXPECT_EQ(history.GetCurrent(), 2);
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(Which(history.Undo()), 1);
    EXPECT_EQ(Which(history.Undo()), 0);
    EXPECT_EQ(history.Undo(), nullptr);
}

TEST_F(History, FullHistoryDropsTheOldest)
{
    for (int i = 0; i <= 9; ++i) // opened picture and nine strokes
        ASSERT_TRUE(history.Add(State(i)));
    EXPECT_EQ(history.GetCount(), 10);
    EXPECT_EQ(history.GetCurrent(), 9);

    ASSERT_TRUE(history.Add(State(10)));
    EXPECT_EQ(history.GetCount(), 10);
    EXPECT_EQ(history.GetCurrent(), 9);
    EXPECT_EQ(Which(history.GetSnapshot(0)), 1);
    int undos = 0;
    while (history.Undo())
        ++undos;
    EXPECT_EQ(undos, 9);
    EXPECT_EQ(history.GetCurrent(), 0);
}

TEST_F(History, AddInTheMiddleOfAFullHistoryDropsOnlyTheRedoTail)
{
    for (int i = 0; i <= 9; ++i)
        ASSERT_TRUE(history.Add(State(i)));
    history.Undo();
    history.Undo();
    ASSERT_TRUE(history.Add(State(10)));
    // 0..7 stay, 8 and 9 are gone, 10 is the newest; nothing was over capacity.
    EXPECT_EQ(history.GetCount(), 9);
    EXPECT_EQ(Which(history.GetSnapshot(0)), 0);
    EXPECT_EQ(Which(history.GetSnapshot(7)), 7);
    EXPECT_EQ(Which(history.GetSnapshot(8)), 10);
}

TEST_F(History, ResetIsAnUndoableStep)
{
    ASSERT_TRUE(history.Add(State(0)));
    ASSERT_TRUE(history.Add(State(1)));
    ASSERT_TRUE(history.Add(State(0))); // reset: the before-image recorded again
    EXPECT_EQ(Which(history.Undo()), 1);
}

TEST_F(History, DroppedSnapshotsAreRecycled)
{
    for (int i = 0; i <= 9; ++i)
        ASSERT_TRUE(history.Add(State(i)));
    // Full: the oldest snapshot's block holds the newest picture.
    const uint8_t* oldest = history.GetSnapshot(0)->GetBits();
    ASSERT_TRUE(history.Add(State(10)));
    EXPECT_EQ(history.GetSnapshot(9)->GetBits(), oldest);
    EXPECT_EQ(Which(history.GetSnapshot(9)), 10);

    // After an undo: the dropped redo step's block is reused.
    history.Undo();
    const uint8_t* redo = history.GetSnapshot(9)->GetBits();
    ASSERT_TRUE(history.Add(State(11)));
    EXPECT_EQ(history.GetSnapshot(9)->GetBits(), redo);
    EXPECT_EQ(Which(history.GetSnapshot(9)), 11);
    EXPECT_EQ(Which(history.GetSnapshot(8)), 9);

    // A picture of another size cannot reuse a block but is still recorded.
    QVDIB other;
    ASSERT_TRUE(other.Create(2, 2, 24));
    ASSERT_TRUE(history.Add(&other));
    EXPECT_EQ(history.GetSnapshot(9)->GetWidth(), 2);
    EXPECT_EQ(history.GetCount(), 10);
}

} // namespace
