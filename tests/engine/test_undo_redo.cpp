#include "TestPictures.h"

#include "engine/history/QVRectCopy.h"
#include "engine/history/QVSnapshot.h"
#include "engine/history/QVTilePool.h"
#include "engine/history/QVUndoRedo.h"

#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// The whole picture a snapshot holds.
std::unique_ptr<QVDIB> Picture(const QVSnapshot* snapshot)
{
    auto picture = std::make_unique<QVDIB>();
    if (snapshot) {
        EXPECT_TRUE(snapshot->CopyTo(*picture));
    }
    return picture;
}

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
    static int Which(const QVSnapshot* p)
    {
        return p ? (Picture(p)->GetBits()[0] - 5) / 10 : -1;
    }

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
    EXPECT_EQ(history.GetMemoryBytes(), 0u);
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
    // Changing the picture afterwards changes no snapshot.
    Fill(picture, 7);
    EXPECT_TRUE(SamePixels(*Picture(history.GetSnapshot(0)), *State(1)));
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

TEST_F(History, TagsComeBackWithTheirSnapshots)
{
    for (int i = 0; i <= 3; ++i)
        ASSERT_TRUE(history.Add(State(i), uint64_t(100 + i)));
    EXPECT_EQ(history.Undo()->GetTag(), 102u);
    EXPECT_EQ(history.Undo()->GetTag(), 101u);
    EXPECT_EQ(history.Redo()->GetTag(), 102u);
}

TEST_F(History, APictureOfAnotherSizeIsStillRecorded)
{
    for (int i = 0; i <= 9; ++i)
        ASSERT_TRUE(history.Add(State(i)));
    QVDIB other;
    ASSERT_TRUE(other.Create(2, 2, 24));
    Fill(other, 77);
    const QVRect small{0, 0, 1, 1};
    ASSERT_TRUE(history.Add(&other, std::span<const QVRect>(&small, 1)));
    EXPECT_EQ(history.GetSnapshot(9)->GetWidth(), 2);
    EXPECT_TRUE(SamePixels(*Picture(history.GetSnapshot(9)), other));
    EXPECT_EQ(history.GetCount(), 10);
    // Going back changes the whole picture.
    std::vector<QVRect> changed;
    EXPECT_EQ(Which(history.Undo(&changed)), 9);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0], (QVRect{0, 0, 6, 3}));
}

// ---- tiles shared between steps ------------------------------------------------

constexpr int kTile = QVSnapshot::kTileSize;

// A picture of several tiles in each direction whose size is no multiple of
// the tile, with rows that carry padding.
void MakeBig(QVDIB& picture)
{
    MakePicture(picture, 5 * kTile + 21, 4 * kTile + 9, Busy);
}

size_t PixelBytes(const QVDIB& picture)
{
    return picture.GetHeader()->biSizeImage;
}

void Paint(QVDIB& picture, const QVRect& rect, uint8_t value)
{
    const QVRect area = rect.Intersected({0, 0, picture.GetWidth(), picture.GetHeight()});
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            for (int k = 0; k < 3; ++k)
                PixelAt(picture, x, y)[k] = uint8_t(value + x + 3 * y + k);
}

TEST(HistoryTiles, StepsCostTheAreaTheyChangedNotThePicture)
{
    QVDIB picture;
    MakeBig(picture);
    QVUndoRedo history;
    ASSERT_TRUE(history.Add(&picture));
    const size_t one = history.GetMemoryBytes();
    EXPECT_GE(one, PixelBytes(picture));
    EXPECT_LE(one, PixelBytes(picture) + 64 * 1024);

    // A stroke inside one tile costs that tile; a square across four tiles
    // costs four.
    const QVRect inside{kTile + 5, kTile + 5, kTile + 20, kTile + 20};
    Paint(picture, inside, 1);
    ASSERT_TRUE(history.Add(&picture, std::span<const QVRect>(&inside, 1)));
    const size_t tileBytes = size_t(kTile) * kTile * 3;
    EXPECT_GE(history.GetMemoryBytes() - one, tileBytes);
    EXPECT_LE(history.GetMemoryBytes() - one, tileBytes + 1024);
    const size_t two = history.GetMemoryBytes();
    const QVRect across{2 * kTile - 10, 2 * kTile - 10, 2 * kTile + 10, 2 * kTile + 10};
    Paint(picture, across, 2);
    ASSERT_TRUE(history.Add(&picture, std::span<const QVRect>(&across, 1)));
    EXPECT_GE(history.GetMemoryBytes() - two, 4 * tileBytes);
    EXPECT_LE(history.GetMemoryBytes() - two, 4 * tileBytes + 1024);

    // A step that claims a change where the pixels stayed equal shares them.
    const size_t three = history.GetMemoryBytes();
    const QVRect whole{0, 0, picture.GetWidth(), picture.GetHeight()};
    ASSERT_TRUE(history.Add(&picture, std::span<const QVRect>(&whole, 1)));
    EXPECT_LE(history.GetMemoryBytes() - three, 2048u); // its tile table only
    std::vector<QVRect> changed;
    ASSERT_TRUE(history.Undo(&changed));
    EXPECT_TRUE(changed.empty());

    // Fifteen small strokes in a full history: one picture and ten steps.
    for (int i = 0; i < 15; ++i) {
        const QVRect dab{(i * 37) % 300, (i * 23) % 240, (i * 37) % 300 + 12, (i * 23) % 240 + 12};
        Paint(picture, dab, uint8_t(10 * i));
        ASSERT_TRUE(history.Add(&picture, std::span<const QVRect>(&dab, 1)));
    }
    EXPECT_EQ(history.GetCount(), 10);
    EXPECT_LE(history.GetMemoryBytes(), PixelBytes(picture) + 10 * 4 * tileBytes + 64 * 1024);
}

TEST(HistoryTiles, UndoAndRedoReportOnlyTheTilesThatDiffer)
{
    QVDIB picture;
    MakeBig(picture);
    QVUndoRedo history;
    ASSERT_TRUE(history.Add(&picture));
    // Two dabs far apart in one step, at the last column and row of tiles.
    const QVRect dabs[] = {{3, 2, 9, 8}, {5 * kTile + 2, 4 * kTile + 1, 5 * kTile + 21, 4 * kTile + 9}};
    for (const QVRect& dab : dabs)
        Paint(picture, dab, 50);
    ASSERT_TRUE(history.Add(&picture, dabs));
    std::vector<QVRect> changed;
    ASSERT_TRUE(history.Undo(&changed));
    ASSERT_EQ(changed.size(), 2u);
    EXPECT_EQ(changed[0], (QVRect{0, 0, kTile, kTile}));
    EXPECT_EQ(changed[1], (QVRect{5 * kTile, 4 * kTile, 5 * kTile + 21, 4 * kTile + 9}));
    changed.clear();
    ASSERT_TRUE(history.Redo(&changed));
    EXPECT_EQ(changed.size(), 2u);
}

TEST(HistoryTiles, SnapshotsCopyRectanglesClippedToThePicture)
{
    QVDIB picture;
    MakeBig(picture);
    const QVRect whole{0, 0, picture.GetWidth(), picture.GetHeight()};
    std::unique_ptr<QVSnapshot> snapshot =
        QVSnapshot::Make(picture, nullptr, std::span<const QVRect>(&whole, 1), 3);
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot->GetTag(), 3u);

    QVDIB target;
    ASSERT_TRUE(target.Create(picture.GetWidth(), picture.GetHeight(), 24));
    // Beyond the edges and across tiles: exactly the part inside lands.
    const QVRect rect{-30, 200, 100, 400};
    ASSERT_TRUE(snapshot->CopyTo(target, rect));
    for (int y = 0; y < picture.GetHeight(); ++y)
        for (int x = 0; x < picture.GetWidth(); ++x) {
            const bool inside = x < 100 && y >= 200;
            const uint8_t expected = inside ? PixelAt(picture, x, y)[0] : 0;
            ASSERT_EQ(PixelAt(target, x, y)[0], expected) << x << ", " << y;
        }

    // Another geometry is refused and left untouched.
    QVDIB other;
    ASSERT_TRUE(other.Create(10, 10, 24));
    EXPECT_FALSE(snapshot->CopyTo(other, rect));
    EXPECT_EQ(PixelAt(other, 0, 0)[0], 0);
    // The whole picture makes the target anew.
    ASSERT_TRUE(snapshot->CopyTo(other));
    EXPECT_TRUE(SamePixels(other, picture));
}

TEST(HistoryTiles, PicturesBelowEightBitsKeepEveryByteAndTheirColourTable)
{
    for (uint16_t bits : {1, 4, 8}) {
        QVDIB picture;
        ASSERT_TRUE(picture.Create(3 * kTile + 13, kTile + 7, bits));
        for (size_t i = 0; i < PixelBytes(picture); ++i)
            picture.GetBits()[i] = uint8_t(i * 7 + 1);
        // A colour table of its own.
        uint8_t* table = picture.GetBits() - QVDIB::PaletteSize(picture.GetHeader());
        for (int i = 0; i < QVDIB::PaletteSize(picture.GetHeader()); ++i)
            table[i] = uint8_t(255 - i);
        QVUndoRedo history;
        ASSERT_TRUE(history.Add(&picture));
        const std::unique_ptr<QVDIB> back = Picture(history.GetSnapshot(0));
        ASSERT_EQ(back->GetBlockSize(), picture.GetBlockSize());
        EXPECT_EQ(std::memcmp(back->GetHeader(), picture.GetHeader(), picture.GetBlockSize()), 0)
            << bits << " bits";
    }
}

TEST(HistoryTiles, RectCopiesAndDifferences)
{
    QVDIB a, b;
    MakeBig(a);
    ASSERT_TRUE(b.CopyFrom(&a));
    Paint(b, {kTile + 3, 2 * kTile, kTile + 4, 2 * kTile + 1}, 9); // one pixel
    Paint(b, {4 * kTile, 0, 5 * kTile + 21, 2}, 9);                 // a strip along the bottom
    std::vector<QVRect> changed;
    ASSERT_TRUE(QVCopyDifferences(a, b, changed));
    EXPECT_TRUE(SamePixels(a, b));
    ASSERT_EQ(changed.size(), 2u);
    EXPECT_EQ(changed[0], (QVRect{4 * kTile, 0, 5 * kTile + 21, kTile}));
    EXPECT_EQ(changed[1], (QVRect{kTile, 2 * kTile, 2 * kTile, 3 * kTile}));

    QVDIB small;
    ASSERT_TRUE(small.Create(4, 4, 24));
    EXPECT_FALSE(QVCopyRect(a, small, {0, 0, 2, 2}));
    EXPECT_FALSE(QVCopyDifferences(a, small, changed));
    QVDIB empty;
    EXPECT_FALSE(QVCopyRect(empty, small, {0, 0, 2, 2}));
    EXPECT_EQ(QVUnite({}, {1, 2, 3, 4}), (QVRect{1, 2, 3, 4}));
    EXPECT_EQ(QVUnite({0, 0, 2, 2}, {5, 1, 6, 9}), (QVRect{0, 0, 6, 9}));
}

// Blocks of the tile pool do not overlap, freed ones are used again, and a
// chunk none of whose blocks is in use goes back to the system (one is kept).
TEST(HistoryTiles, ThePoolHandsOutSeparateBlocksAndGivesChunksBack)
{
    EXPECT_EQ(QVTilePool::Allocate(0), nullptr);
    EXPECT_EQ(QVTilePool::Allocate(QVTilePool::kMaxBlock + 1), nullptr);

    const size_t chunks = QVTilePool::GetChunkCount();
    constexpr size_t kBlock = 12500; // a tile of 64 x 64 pixels at 24 bits
    std::vector<uint8_t*> blocks;
    for (int i = 0; i < 500; ++i) { // three chunks and more
        auto* block = static_cast<uint8_t*>(QVTilePool::Allocate(kBlock));
        ASSERT_NE(block, nullptr);
        std::memset(block, i & 0xFF, kBlock);
        blocks.push_back(block);
    }
    EXPECT_GE(QVTilePool::GetChunkCount(), 3u); // 2 MB each
    for (size_t i = 0; i < blocks.size(); ++i)
        for (size_t k = 0; k < kBlock; k += 97)
            ASSERT_EQ(blocks[i][k], uint8_t(i & 0xFF)) << "block " << i;

    // A block given back is the next handed out.
    uint8_t* again = blocks[123];
    QVTilePool::Release(again);
    EXPECT_EQ(QVTilePool::Allocate(kBlock), again);

    for (uint8_t* block : blocks)
        QVTilePool::Release(block);
    EXPECT_LE(QVTilePool::GetChunkCount(), chunks + 1);

    // A history's tiles go back with it.
    {
        QVDIB picture;
        MakePicture(picture, 1500, 1000, Busy);
        QVUndoRedo history;
        ASSERT_TRUE(history.Add(&picture));
        EXPECT_GE(QVTilePool::GetChunkCount(), 3u);
    }
    EXPECT_LE(QVTilePool::GetChunkCount(), chunks + 1);
}

// A session opens pictures of many sizes one after another, and several stay
// open at once: each size's tiles (whole, right column, top row, corner) take
// block sizes of their own, and every history still records its steps.
TEST(HistoryTiles, PicturesOfManySizesAreAllRecorded)
{
    const auto record = [](QVUndoRedo& history, QVDIB& picture, int i) {
        MakePicture(picture, 300 + 37 * i, 200 + 23 * i, Busy);
        if (!history.Add(&picture))
            return false;
        const QVRect changed{10, 10, 90, 70};
        Paint(picture, changed, uint8_t(i));
        return history.Add(&picture, std::span<const QVRect>(&changed, 1)) &&
               SamePixels(*Picture(history.GetSnapshot(1)), picture);
    };
    // One after another, each history gone before the next picture.
    for (int i = 0; i < 24; ++i) {
        QVDIB picture;
        QVUndoRedo history;
        EXPECT_TRUE(record(history, picture, i)) << "picture " << i;
    }
    // Held together: more block sizes at once than the pool serves.
    std::vector<QVDIB> pictures(12);
    std::vector<QVUndoRedo> histories(12);
    for (int i = 0; i < 12; ++i)
        EXPECT_TRUE(record(histories[size_t(i)], pictures[size_t(i)], 30 + i)) << "picture " << i;
}

// ---- the same pictures as whole copies -------------------------------------------

// The history as it was specified: a list of whole copies, capacity 10.
class Reference
{
public:
    void Add(const QVDIB& picture, uint64_t tag)
    {
        auto copy = std::make_unique<QVDIB>();
        ASSERT_TRUE(copy->CopyFrom(&picture));
        while (current != int(snapshots.size()) - 1)
            snapshots.pop_back(), tags.pop_back();
        snapshots.push_back(std::move(copy));
        tags.push_back(tag);
        ++current;
        if (snapshots.size() > size_t(QVUndoRedo::kHistoryCapacity)) {
            snapshots.erase(snapshots.begin());
            tags.erase(tags.begin());
            --current;
        }
    }
    const QVDIB* Undo() { return current > 0 ? snapshots[size_t(--current)].get() : nullptr; }
    const QVDIB* Redo()
    {
        return current < int(snapshots.size()) - 1 ? snapshots[size_t(++current)].get() : nullptr;
    }

    std::vector<std::unique_ptr<QVDIB>> snapshots;
    std::vector<uint64_t> tags;
    int current = -1;
};

// The editor's side as the view drives it: a picture changed in rectangles,
// recorded with only those, restored with only what Undo and Redo report and
// what is not recorded yet. Each step is checked against whole copies.
class Editor
{
public:
    Editor()
    {
        MakeBig(before);
        EXPECT_TRUE(picture.CopyFrom(&before));
        Record();
    }

    // Paints a rectangle (it may reach beyond the picture), recorded at once
    // unless the step is left unrecorded. Its first columns keep their pixels,
    // as the corners of a brush's square do.
    void Stroke(const QVRect& rect, bool record = true)
    {
        Paint(picture, {rect.left + 20, rect.top, rect.right, rect.bottom}, uint8_t(++serial * 29));
        unrecorded.push_back(rect);
        if (record)
            Record();
    }

    void Record()
    {
        const uint64_t tag = ++serial;
        ASSERT_TRUE(history.Add(&picture, unrecorded, tag));
        unrecorded.clear();
        reference.Add(picture, tag);
    }

    void Reset()
    {
        std::vector<QVRect> changed;
        ASSERT_TRUE(QVCopyDifferences(before, picture, changed));
        unrecorded.insert(unrecorded.end(), changed.begin(), changed.end());
        Record();
    }

    void Step(bool undo)
    {
        std::vector<QVRect> changed;
        const QVSnapshot* snapshot = undo ? history.Undo(&changed) : history.Redo(&changed);
        const QVDIB* expected = undo ? reference.Undo() : reference.Redo();
        ASSERT_EQ(snapshot != nullptr, expected != nullptr);
        if (!snapshot)
            return; // nothing changes, what was not recorded stays
        changed.insert(changed.end(), unrecorded.begin(), unrecorded.end());
        unrecorded.clear();
        for (const QVRect& rect : changed)
            ASSERT_TRUE(snapshot->CopyTo(picture, rect));
        EXPECT_EQ(snapshot->GetTag(), reference.tags[size_t(reference.current)]);
        ASSERT_TRUE(SamePixels(picture, *expected));
    }

    // s: a stroke, e: one across the right and top edges, c: one over the
    // bottom-left corner, o: one over the last and beyond, n: a commit left
    // unrecorded, u: undo, r: redo, x: reset.
    void Run(const std::string& ops)
    {
        for (size_t i = 0; i < ops.size(); ++i) {
            SCOPED_TRACE(ops.substr(0, i + 1));
            const int n = int(i);
            const int x = 40 + 17 * n % 200, y = 30 + 11 * n % 150;
            const int w = picture.GetWidth(), h = picture.GetHeight();
            switch (ops[i]) {
            case 's': Stroke({x, y, x + 50, y + 40}); break;
            case 'e': Stroke({w - 30, h - 20, w + 40, h + 40}); break;
            case 'c': Stroke({-50, -50, 30, 25}); break;
            case 'o': Stroke({x - 10, y - 5, x + 90, y + 80}); break;
            case 'n': Stroke({100 + 5 * n, 60, 180 + 5 * n, 130}, false); break;
            case 'u': Step(true); break;
            case 'r': Step(false); break;
            case 'x': Reset(); break;
            default: FAIL() << "no such step";
            }
            if (testing::Test::HasFatalFailure())
                return;
            ASSERT_EQ(history.GetCount(), int(reference.snapshots.size()));
            ASSERT_EQ(history.GetCurrent(), reference.current);
        }
        CheckAllSnapshots();
    }

    // Every snapshot kept, not only the one shown.
    void CheckAllSnapshots()
    {
        ASSERT_EQ(history.GetCount(), int(reference.snapshots.size()));
        ASSERT_EQ(history.GetCurrent(), reference.current);
        for (int k = 0; k < history.GetCount(); ++k)
            ASSERT_TRUE(SamePixels(*Picture(history.GetSnapshot(k)), *reference.snapshots[size_t(k)]))
                << "snapshot " << k;
    }

    QVDIB before;
    QVDIB picture;
    QVUndoRedo history;
    Reference reference;
    std::vector<QVRect> unrecorded;
    int serial = 0;
};

TEST(HistoryModel, ScriptedSequences)
{
    const char* const scripts[] = {
        "ssuurr",                                  // undo and redo
        "ecoouur",                                 // edges, corners, overlaps
        "sssuus",                                  // a new step drops the redo steps
        "ssssssssssssuuuuuuuuuurrrrrrrrrrr",       // past the capacity both ways
        "sossxuxurr",                              // reset and its undo
        "snsunr",                                  // unrecorded commits go with the next step or undo
        "nuxu",                                    // ... and with a reset
        "sxxuuuu",                                 // reset twice
        "ooooooooooooouuuuuussss",                 // overlapping strokes truncated in a full history
    };
    for (const char* ops : scripts) {
        SCOPED_TRACE(ops);
        Editor editor;
        editor.Run(ops);
        if (testing::Test::HasFatalFailure())
            return;
    }
}

TEST(HistoryModel, RandomSequences)
{
    std::mt19937 random(20240611);
    const std::string steps = "sssecounrrx";
    std::string ops;
    for (int i = 0; i < 300; ++i)
        ops += steps[random() % steps.size()];
    Editor editor;
    editor.Run(ops);
}

// ---- running out of memory ---------------------------------------------------------

int g_allocationsLeft = -1;

void* FailingAllocator(size_t size)
{
    if (g_allocationsLeft == 0)
        return nullptr;
    if (g_allocationsLeft > 0)
        --g_allocationsLeft;
    return std::malloc(size);
}

class OutOfMemory : public testing::Test
{
protected:
    void TearDown() override
    {
        g_allocationsLeft = -1;
        QVSnapshot::SetAllocator(nullptr);
    }
};

// Every allocation of an Add fails in turn: each failure leaves the history
// exactly as it was, and the picture too, until the Add succeeds.
TEST_F(OutOfMemory, AFailedStepLeavesTheHistoryAsItWas)
{
    Editor editor;
    editor.Run("ssu");
    ASSERT_FALSE(HasFatalFailure());
    const QVRect square{kTile - 5, kTile - 5, kTile + 5, kTile + 5}; // four tiles
    Paint(editor.picture, square, 77);
    QVDIB painted;
    ASSERT_TRUE(painted.CopyFrom(&editor.picture));
    const size_t memory = editor.history.GetMemoryBytes();

    QVSnapshot::SetAllocator(FailingAllocator);
    int failures = 0;
    for (int allowed = 0;; ++allowed) {
        g_allocationsLeft = allowed;
        if (editor.history.Add(&editor.picture, std::span<const QVRect>(&square, 1), 999))
            break;
        ++failures;
        ASSERT_EQ(editor.history.GetMemoryBytes(), memory);
        ASSERT_TRUE(SamePixels(editor.picture, painted));
        editor.CheckAllSnapshots();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_LT(allowed, 1000);
    }
    g_allocationsLeft = -1;
    // The object, its header, its table and each of the four new tiles.
    EXPECT_EQ(failures, 7);
    editor.reference.Add(editor.picture, 999);
    editor.Run("uurr");
}

TEST_F(OutOfMemory, AFailedFirstSnapshotLeavesTheHistoryEmpty)
{
    QVDIB picture;
    MakeBig(picture);
    QVUndoRedo history;
    QVSnapshot::SetAllocator(FailingAllocator);
    g_allocationsLeft = 3;
    EXPECT_FALSE(history.Add(&picture));
    g_allocationsLeft = -1;
    EXPECT_EQ(history.GetCount(), 0);
    EXPECT_EQ(history.GetCurrent(), -1);
    EXPECT_EQ(history.GetMemoryBytes(), 0u);
    EXPECT_TRUE(history.Add(&picture));
    EXPECT_EQ(history.GetCount(), 1);
    EXPECT_TRUE(SamePixels(*Picture(history.GetSnapshot(0)), picture));
}

} // namespace
