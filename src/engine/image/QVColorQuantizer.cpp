#include "QVColorQuantizer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>

namespace {

constexpr int kMaxColours = 256;

// ---- pictures of at most 256 colours ------------------------------------------

// A tiny open-addressing table keyed by the 24-bit colour; a photo gives up
// after a few hundred pixels.
bool ExactPalette(const uint8_t* rgb, int width, int height, size_t stride,
                  std::vector<uint8_t>& indices, std::array<QVPaletteEntry, 256>& palette,
                  int& colours)
{
    constexpr uint32_t kSlots = 1024; // power of two, four times the palette
    constexpr uint32_t kEmpty = 0xFFFFFFFF;
    std::array<uint32_t, kSlots> keys;
    std::array<uint8_t, kSlots> values{};
    keys.fill(kEmpty);
    int used = 0;
    const uint8_t* row = rgb;
    for (int y = 0; y < height; ++y, row += stride) {
        const uint8_t* px = row;
        uint8_t* out = indices.data() + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x, px += 3) {
            const uint32_t key = uint32_t(px[0]) << 16 | uint32_t(px[1]) << 8 | px[2];
            uint32_t slot = (key * 2654435761u) >> 22; // top 10 bits
            while (keys[slot] != kEmpty && keys[slot] != key)
                slot = (slot + 1) & (kSlots - 1);
            if (keys[slot] == kEmpty) {
                if (used == kMaxColours)
                    return false;
                keys[slot] = key;
                values[slot] = uint8_t(used);
                palette[size_t(used)] = QVPaletteEntry{px[0], px[1], px[2]};
                ++used;
            }
            out[x] = values[slot];
        }
    }
    colours = used;
    return true;
}

// ---- the colour histogram ------------------------------------------------------------

// Colours are counted in cells of a luma and colour-difference cube: 2 levels
// of luma, 8 of each colour difference. The eye, and the error, care most
// for luma: a black-and-white or sepia photo still gets 128 tones to choose
// from, and the k-means passes visit tens of thousands of cells, not
// millions of colours. A cell keeps the sums of its pixels' own red, green
// and blue, so the palette is still chosen to lower the error in RGB.
constexpr int kLumaBits = 7;
constexpr int kChromaBits = 5;
constexpr int kLumaCells = 1 << kLumaBits;
constexpr int kChromaCells = 1 << kChromaBits;

// ---- Wu's quantiser ------------------------------------------------------------------

// Cumulative moments over the cells' cube (index 0 of each axis is an empty
// border), so that the sums over any box of cells come from eight corners.
constexpr int kWuLuma = kLumaCells + 1;
constexpr int kWuChroma = kChromaCells + 1;

inline int WuIndex(int y, int u, int v)
{
    return (y * kWuChroma + u) * kWuChroma + v;
}

// The entry of the cell a colour falls in.
inline int WuCell(int r, int g, int b)
{
    const int luma = (77 * r + 150 * g + 29 * b) >> 8;
    const int blueDiff = (-43 * r - 85 * g + 128 * b + 32768) >> 8;
    const int redDiff = (128 * r - 107 * g - 21 * b + 32768) >> 8;
    return WuIndex((luma >> (8 - kLumaBits)) + 1, (blueDiff >> (8 - kChromaBits)) + 1,
                   (redDiff >> (8 - kChromaBits)) + 1);
}

struct WuMoments
{
    std::vector<double> weight, red, green, blue, squares;
    explicit WuMoments(size_t n) : weight(n), red(n), green(n), blue(n), squares(n) {}
};

// A box of the cube, in luma (y) and colour differences (u, v): lower bounds
// exclusive, upper bounds inclusive.
struct Box
{
    int y0, y1, u0, u1, v0, v1;
};

enum Axis { kLuma, kBlueDiff, kRedDiff };

double Volume(const Box& c, const std::vector<double>& m)
{
    return m[size_t(WuIndex(c.y1, c.u1, c.v1))] - m[size_t(WuIndex(c.y1, c.u1, c.v0))] -
           m[size_t(WuIndex(c.y1, c.u0, c.v1))] + m[size_t(WuIndex(c.y1, c.u0, c.v0))] -
           m[size_t(WuIndex(c.y0, c.u1, c.v1))] + m[size_t(WuIndex(c.y0, c.u1, c.v0))] +
           m[size_t(WuIndex(c.y0, c.u0, c.v1))] - m[size_t(WuIndex(c.y0, c.u0, c.v0))];
}

// The volume of the part of a box up to a cut at `position` on an axis is
// Top(position) + Bottom: Bottom holds the terms of the box's lower face,
// which do not depend on where the cut is.
double Bottom(const Box& c, Axis axis, const std::vector<double>& m)
{
    switch (axis) {
    case kLuma:
        return -m[size_t(WuIndex(c.y0, c.u1, c.v1))] + m[size_t(WuIndex(c.y0, c.u1, c.v0))] +
               m[size_t(WuIndex(c.y0, c.u0, c.v1))] - m[size_t(WuIndex(c.y0, c.u0, c.v0))];
    case kBlueDiff:
        return -m[size_t(WuIndex(c.y1, c.u0, c.v1))] + m[size_t(WuIndex(c.y1, c.u0, c.v0))] +
               m[size_t(WuIndex(c.y0, c.u0, c.v1))] - m[size_t(WuIndex(c.y0, c.u0, c.v0))];
    case kRedDiff:
        return -m[size_t(WuIndex(c.y1, c.u1, c.v0))] + m[size_t(WuIndex(c.y1, c.u0, c.v0))] +
               m[size_t(WuIndex(c.y0, c.u1, c.v0))] - m[size_t(WuIndex(c.y0, c.u0, c.v0))];
    }
    return 0;
}

double Top(const Box& c, Axis axis, int position, const std::vector<double>& m)
{
    switch (axis) {
    case kLuma:
        return m[size_t(WuIndex(position, c.u1, c.v1))] - m[size_t(WuIndex(position, c.u1, c.v0))] -
               m[size_t(WuIndex(position, c.u0, c.v1))] + m[size_t(WuIndex(position, c.u0, c.v0))];
    case kBlueDiff:
        return m[size_t(WuIndex(c.y1, position, c.v1))] - m[size_t(WuIndex(c.y1, position, c.v0))] -
               m[size_t(WuIndex(c.y0, position, c.v1))] + m[size_t(WuIndex(c.y0, position, c.v0))];
    case kRedDiff:
        return m[size_t(WuIndex(c.y1, c.u1, position))] - m[size_t(WuIndex(c.y1, c.u0, position))] -
               m[size_t(WuIndex(c.y0, c.u1, position))] + m[size_t(WuIndex(c.y0, c.u0, position))];
    }
    return 0;
}

// Squared error of the box's colours about their mean.
double Variance(const Box& c, const WuMoments& m)
{
    const double w = Volume(c, m.weight);
    if (w <= 0)
        return 0;
    const double r = Volume(c, m.red), g = Volume(c, m.green), b = Volume(c, m.blue);
    return Volume(c, m.squares) - (r * r + g * g + b * b) / w;
}

// The cut along one axis that best splits the box: the one maximising the
// sum over both halves of (sum^2 / weight), which minimises their error.
double BestCut(const Box& c, Axis axis, int first, int last, int& cut, const WuMoments& m,
               double wholeR, double wholeG, double wholeB, double wholeW)
{
    const double baseR = Bottom(c, axis, m.red), baseG = Bottom(c, axis, m.green);
    const double baseB = Bottom(c, axis, m.blue), baseW = Bottom(c, axis, m.weight);
    double best = 0;
    cut = -1;
    for (int i = first; i < last; ++i) {
        const double halfW = baseW + Top(c, axis, i, m.weight);
        if (halfW <= 0)
            continue;
        const double otherW = wholeW - halfW;
        if (otherW <= 0)
            continue;
        const double halfR = baseR + Top(c, axis, i, m.red);
        const double halfG = baseG + Top(c, axis, i, m.green);
        const double halfB = baseB + Top(c, axis, i, m.blue);
        const double otherR = wholeR - halfR, otherG = wholeG - halfG, otherB = wholeB - halfB;
        const double score = (halfR * halfR + halfG * halfG + halfB * halfB) / halfW +
                             (otherR * otherR + otherG * otherG + otherB * otherB) / otherW;
        if (score > best) {
            best = score;
            cut = i;
        }
    }
    return best;
}

// Splits `box` in two along its best axis; false when it cannot be split.
bool Split(Box& box, Box& upper, const WuMoments& m)
{
    const double wholeR = Volume(box, m.red), wholeG = Volume(box, m.green);
    const double wholeB = Volume(box, m.blue), wholeW = Volume(box, m.weight);
    int cutY, cutU, cutV;
    const double bestY = BestCut(box, kLuma, box.y0 + 1, box.y1, cutY, m, wholeR, wholeG, wholeB, wholeW);
    const double bestU = BestCut(box, kBlueDiff, box.u0 + 1, box.u1, cutU, m, wholeR, wholeG, wholeB, wholeW);
    const double bestV = BestCut(box, kRedDiff, box.v0 + 1, box.v1, cutV, m, wholeR, wholeG, wholeB, wholeW);
    upper = box;
    if (bestY >= bestU && bestY >= bestV) {
        if (cutY < 0)
            return false;
        box.y1 = upper.y0 = cutY;
    } else if (bestU >= bestV) {
        if (cutU < 0)
            return false;
        box.u1 = upper.u0 = cutU;
    } else {
        if (cutV < 0)
            return false;
        box.v1 = upper.v0 = cutV;
    }
    return true;
}

// Wu's palette of up to 256 box means, from the moments of the cells.
std::vector<std::array<double, 3>> WuPalette(WuMoments& m)
{
    // Running sums over the three axes make every entry the total of the box
    // from the origin to it.
    for (std::vector<double>* moment : {&m.weight, &m.red, &m.green, &m.blue, &m.squares}) {
        std::vector<double>& v = *moment;
        for (int y = 1; y < kWuLuma; ++y)
            for (int u = 1; u < kWuChroma; ++u)
                for (int w = 1; w < kWuChroma; ++w)
                    v[size_t(WuIndex(y, u, w))] +=
                        v[size_t(WuIndex(y - 1, u, w))] + v[size_t(WuIndex(y, u - 1, w))] +
                        v[size_t(WuIndex(y, u, w - 1))] - v[size_t(WuIndex(y - 1, u - 1, w))] -
                        v[size_t(WuIndex(y - 1, u, w - 1))] - v[size_t(WuIndex(y, u - 1, w - 1))] +
                        v[size_t(WuIndex(y - 1, u - 1, w - 1))];
    }

    std::vector<Box> boxes(1, Box{0, kWuLuma - 1, 0, kWuChroma - 1, 0, kWuChroma - 1});
    std::vector<double> error(1, Variance(boxes[0], m));
    // Always split the box with the largest error next.
    while (int(boxes.size()) < kMaxColours) {
        const size_t next = size_t(std::max_element(error.begin(), error.end()) - error.begin());
        if (error[next] <= 0)
            break;
        Box upper{};
        if (!Split(boxes[next], upper, m)) {
            error[next] = 0; // one level wide on every axis: nothing to split
            continue;
        }
        boxes.push_back(upper);
        error[next] = Variance(boxes[next], m);
        error.push_back(Variance(upper, m));
    }

    std::vector<std::array<double, 3>> palette;
    for (const Box& box : boxes) {
        const double w = Volume(box, m.weight);
        if (w > 0)
            palette.push_back({Volume(box, m.red) / w, Volume(box, m.green) / w, Volume(box, m.blue) / w});
    }
    return palette;
}

// ---- k-means refinement and mapping -----------------------------------------------

// Colours are also counted in cells of 2 x 2 x 2 RGB levels: the k-means
// passes move each palette colour to the mean of the cells nearest to it,
// and every pixel takes the colour nearest its cell's centre, within a level
// of its own. The cell table (8 MB) is touched once a pixel; the passes visit
// only the cells that hold pixels.
constexpr int kMapBits = 7;
constexpr int kMapShift = 8 - kMapBits;
constexpr int kMeansPasses = 10;
constexpr int kFinePasses = 1;
constexpr int kGrowRounds = 4;
// Passes stop early once no palette colour moves by more than this (in levels).
constexpr float kSettled = 0.05f;

inline uint32_t MapIndex(int r, int g, int b)
{
    return uint32_t(r >> kMapShift) << (2 * kMapBits) | uint32_t(g >> kMapShift) << kMapBits |
           uint32_t(b >> kMapShift);
}

// Pixels and the sums of their channels.
struct Weighted
{
    uint64_t count;
    uint64_t red, green, blue;
};

// A fine cell's pixels, kept small for the pass over every pixel: a channel
// is the cell's lower level or the one above, so its sum is the count times
// the lower level plus the number of pixels on the upper one.
struct FineCell
{
    uint32_t count;
    uint32_t upperRed, upperGreen, upperBlue;
};

// Nearest palette colour, searched outwards from the green level in a palette
// sorted by green: the search stops once the green difference alone exceeds
// the best distance found.
template <typename T>
class NearestSearch
{
public:
    explicit NearestSearch(const std::vector<std::array<T, 3>>& palette)
    {
        for (size_t i = 0; i < palette.size(); ++i)
            m_order.push_back({palette[i][1], palette[i][0], palette[i][2], int(i)});
        std::sort(m_order.begin(), m_order.end(),
                  [](const Entry& a, const Entry& b) { return a.green < b.green; });
    }

    int Find(T r, T g, T b) const
    {
        const auto start = std::lower_bound(m_order.begin(), m_order.end(), g,
                                            [](const Entry& e, T level) { return e.green < level; });
        T best = std::numeric_limits<T>::max();
        int index = 0;
        const auto consider = [&](const Entry& e) {
            const T dr = e.red - r, dg = e.green - g, db = e.blue - b;
            const T d = dr * dr + dg * dg + db * db;
            if (d < best) {
                best = d;
                index = e.index;
            }
        };
        for (auto it = start; it != m_order.end(); ++it) {
            const T dg = it->green - g;
            if (dg * dg >= best)
                break;
            consider(*it);
        }
        for (auto it = start; it != m_order.begin();) {
            --it;
            const T dg = g - it->green;
            if (dg * dg >= best)
                break;
            consider(*it);
        }
        return index;
    }

private:
    struct Entry
    {
        T green, red, blue;
        int index;
    };
    std::vector<Entry> m_order;
};

// Moves each palette colour to the mean of the cells nearest to it, a few
// times. Wu's boxes are whole cells of the coarser cube, so a picture of few
// tones can leave the palette short of 256: then the colours with the largest
// error gain a new colour at their farthest cell, and the passes run again.
std::vector<std::array<float, 3>> Refine(const std::vector<Weighted>& cells,
                                         std::vector<std::array<float, 3>> palette, int passes)
{
    std::vector<std::array<float, 3>> means(cells.size());
    for (size_t i = 0; i < cells.size(); ++i) {
        const float n = float(cells[i].count);
        means[i] = {float(cells[i].red) / n, float(cells[i].green) / n, float(cells[i].blue) / n};
    }
    std::vector<int> owner(cells.size());
    const auto assign = [&] {
        const NearestSearch<float> search(palette);
        for (size_t i = 0; i < cells.size(); ++i)
            owner[i] = search.Find(means[i][0], means[i][1], means[i][2]);
    };
    for (int round = 0; round < kGrowRounds; ++round) {
        for (int pass = 0; pass < passes; ++pass) {
            assign();
            std::vector<std::array<uint64_t, 4>> sums(palette.size(), {0, 0, 0, 0});
            for (size_t i = 0; i < cells.size(); ++i) {
                auto& sum = sums[size_t(owner[i])];
                sum[0] += cells[i].red;
                sum[1] += cells[i].green;
                sum[2] += cells[i].blue;
                sum[3] += cells[i].count;
            }
            float moved = 0;
            for (size_t k = 0; k < palette.size(); ++k) {
                if (sums[k][3] == 0)
                    continue; // no pixels nearest: the colour stays where it is
                for (size_t c = 0; c < 3; ++c) {
                    const float mean = float(double(sums[k][c]) / double(sums[k][3]));
                    moved = std::max(moved, std::fabs(mean - palette[k][c]));
                    palette[k][c] = mean;
                }
            }
            if (moved < kSettled)
                break;
        }
        if (palette.size() >= size_t(kMaxColours))
            break;

        assign();
        struct Spread
        {
            double error = 0;
            float farthest = 0;
            size_t cell = 0;
        };
        std::vector<Spread> spread(palette.size());
        for (size_t i = 0; i < cells.size(); ++i) {
            const auto& p = palette[size_t(owner[i])];
            const float dr = means[i][0] - p[0], dg = means[i][1] - p[1], db = means[i][2] - p[2];
            const float d = dr * dr + dg * dg + db * db;
            Spread& s = spread[size_t(owner[i])];
            s.error += double(d) * double(cells[i].count);
            if (d > s.farthest) {
                s.farthest = d;
                s.cell = i;
            }
        }
        std::vector<size_t> order;
        for (size_t k = 0; k < spread.size(); ++k)
            if (spread[k].farthest > kSettled)
                order.push_back(k);
        if (order.empty())
            break;
        std::sort(order.begin(), order.end(),
                  [&](size_t a, size_t b) { return spread[a].error > spread[b].error; });
        const size_t room = size_t(kMaxColours) - palette.size();
        for (size_t j = 0; j < order.size() && j < room; ++j)
            palette.push_back(means[spread[order[j]].cell]);
    }
    return palette;
}

bool ReducedPalette(const uint8_t* rgb, int width, int height, size_t stride,
                    std::vector<uint8_t>& indices, std::array<QVPaletteEntry, 256>& palette,
                    int& colours)
{
    // One pass counts the pixels in the fine cells. The table of where each
    // fine cell's sums are kept holds that place plus one, so that calloc's
    // zero means "none yet": the system gives zeroed pages as they are first
    // touched, and a small picture touches few of the table's 8 MB.
    struct Free
    {
        void operator()(uint32_t* p) const { std::free(p); }
    };
    const std::unique_ptr<uint32_t[], Free> mapSlot(
        static_cast<uint32_t*>(std::calloc(size_t(1) << (3 * kMapBits), sizeof(uint32_t))));
    if (!mapSlot)
        return false;
    std::vector<FineCell> fineCells;
    std::vector<uint32_t> fineIndex; // where each fine cell is in the table
    const uint8_t* row = rgb;
    for (int y = 0; y < height; ++y, row += stride) {
        const uint8_t* px = row;
        for (int x = 0; x < width; ++x, px += 3) {
            const uint32_t index = MapIndex(px[0], px[1], px[2]);
            uint32_t& slot = mapSlot[index];
            if (slot == 0) {
                fineCells.push_back({0, 0, 0, 0});
                fineIndex.push_back(index);
                slot = uint32_t(fineCells.size());
            }
            FineCell& cell = fineCells[slot - 1];
            ++cell.count;
            cell.upperRed += px[0] & 1u;
            cell.upperGreen += px[1] & 1u;
            cell.upperBlue += px[2] & 1u;
        }
    }
    static_assert(kMapShift == 1, "a fine cell spans two levels of each channel");
    std::vector<Weighted> fine(fineCells.size());
    for (size_t i = 0; i < fineCells.size(); ++i) {
        const FineCell& cell = fineCells[i];
        const uint32_t index = fineIndex[i];
        const uint64_t r = (index >> (2 * kMapBits)) << kMapShift;
        const uint64_t g = ((index >> kMapBits) & ((1u << kMapBits) - 1)) << kMapShift;
        const uint64_t b = (index & ((1u << kMapBits) - 1)) << kMapShift;
        fine[i] = {cell.count, cell.count * r + cell.upperRed, cell.count * g + cell.upperGreen,
                   cell.count * b + cell.upperBlue};
    }
    fineCells = {};

    // The coarse cells of Wu's cube gather the fine ones. A fine cell's
    // pixels are counted at its mean for the squares: they lie within a
    // level of it, which changes no choice of Wu's.
    WuMoments m(size_t(kWuLuma) * kWuChroma * kWuChroma);
    for (const Weighted& cell : fine) {
        const double n = double(cell.count);
        const double r = double(cell.red) / n, g = double(cell.green) / n, b = double(cell.blue) / n;
        const size_t at = size_t(WuCell(int(r + 0.5), int(g + 0.5), int(b + 0.5)));
        m.weight[at] += n;
        m.red[at] += double(cell.red);
        m.green[at] += double(cell.green);
        m.blue[at] += double(cell.blue);
        m.squares[at] += n * (r * r + g * g + b * b);
    }
    // Most of the moving is done on the coarse cells, tens of thousands; the
    // fine ones, up to millions in a noisy photo, only settle the result.
    // (The sums are whole numbers well within a double's exact range.)
    std::vector<Weighted> coarse;
    for (size_t at = 0; at < m.weight.size(); ++at)
        if (m.weight[at] > 0)
            coarse.push_back({uint64_t(m.weight[at]), uint64_t(m.red[at]), uint64_t(m.green[at]),
                              uint64_t(m.blue[at])});
    std::vector<std::array<float, 3>> start;
    for (const auto& c : WuPalette(m))
        start.push_back({float(c[0]), float(c[1]), float(c[2])});
    start = Refine(coarse, std::move(start), kMeansPasses);
    const std::vector<std::array<float, 3>> refined =
        Refine(fine, std::move(start), kFinePasses);
    colours = int(refined.size());
    for (int i = 0; i < colours; ++i) {
        const auto level = [](float v) { return uint8_t(std::clamp(std::lround(v), 0L, 255L)); };
        palette[size_t(i)] = {level(refined[size_t(i)][0]), level(refined[size_t(i)][1]),
                              level(refined[size_t(i)][2])};
    }

    // Each occupied cell takes the colour nearest its centre; coordinates are
    // doubled so that centres are whole numbers.
    std::vector<std::array<int, 3>> doubled(static_cast<size_t>(colours));
    for (int i = 0; i < colours; ++i)
        doubled[size_t(i)] = {2 * palette[size_t(i)].red, 2 * palette[size_t(i)].green,
                              2 * palette[size_t(i)].blue};
    const NearestSearch<int> search(doubled);
    constexpr int kCentre = (1 << kMapShift) - 1; // doubled half of a cell, less the half level
    for (const uint32_t index : fineIndex) {
        const int r = int(index >> (2 * kMapBits)) << kMapShift;
        const int g = int((index >> kMapBits) & ((1u << kMapBits) - 1)) << kMapShift;
        const int b = int(index & ((1u << kMapBits) - 1)) << kMapShift;
        mapSlot[index] = uint32_t(search.Find(2 * r + kCentre, 2 * g + kCentre, 2 * b + kCentre));
    }

    // The means of the pixels each colour stands for become the palette: that
    // can only lower the error.
    std::vector<std::array<uint64_t, 4>> means(size_t(colours), {0, 0, 0, 0});
    row = rgb;
    for (int y = 0; y < height; ++y, row += stride) {
        const uint8_t* px = row;
        uint8_t* out = indices.data() + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x, px += 3) {
            const uint32_t index = mapSlot[MapIndex(px[0], px[1], px[2])];
            out[x] = uint8_t(index);
            auto& m = means[index];
            m[0] += px[0];
            m[1] += px[1];
            m[2] += px[2];
            ++m[3];
        }
    }
    for (int i = 0; i < colours; ++i) {
        const auto& m = means[size_t(i)];
        if (m[3] == 0)
            continue;
        palette[size_t(i)] = {uint8_t((m[0] + m[3] / 2) / m[3]), uint8_t((m[1] + m[3] / 2) / m[3]),
                              uint8_t((m[2] + m[3] / 2) / m[3])};
    }
    return true;
}

} // namespace

bool QVQuantizeColours(const uint8_t* rgb, int width, int height, size_t stride,
                       std::vector<uint8_t>& indices, std::array<QVPaletteEntry, 256>& palette,
                       int& colours)
{
    if (!rgb || width <= 0 || height <= 0)
        return false;
    try {
        indices.resize(size_t(width) * size_t(height));
        if (ExactPalette(rgb, width, height, stride, indices, palette, colours))
            return true;
        return ReducedPalette(rgb, width, height, stride, indices, palette, colours);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

int64_t QVQuantizerWorkingBytes(int64_t pixels)
{
    const int64_t mapCells = int64_t(1) << (3 * kMapBits);
    const int64_t cells = std::clamp<int64_t>(pixels, 0, mapCells);
    const int64_t table = mapCells * int64_t(sizeof(uint32_t));
    const int64_t moments = 5 * int64_t(kWuLuma) * kWuChroma * kWuChroma * int64_t(sizeof(double));
    // Per occupied fine cell: its counts and where it is (twice over while
    // their vectors grow), its sums, and k-means' mean and owner.
    const int64_t perCell = 2 * int64_t(sizeof(FineCell) + sizeof(uint32_t)) +
                            int64_t(sizeof(Weighted)) + int64_t(sizeof(std::array<float, 3>)) +
                            int64_t(sizeof(uint32_t));
    return table + moments + cells * perCell;
}
