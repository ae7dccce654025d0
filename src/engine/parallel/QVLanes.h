#pragma once

#include <cstdint>
#include <cstring>

// N neighbouring pixels side by side, one per lane of GCC's vector types. The
// compiler turns each operation on these types into one instruction of the
// instruction set of the function that uses them (SSE2 for 2 lanes, AVX2 for
// 4, AVX-512 for 8; QVCpu.h), and each lane computes exactly what the plain
// loop computes for its pixel: the same IEEE double operations in the same
// order (no FMA, no reassociation), the same truncations toward zero.
//
// Code over these types must be inlined into a function of the matching
// instruction set (everything here is always_inline): on its own, a function
// of the plain x86-64 set would split them into narrower pieces.

template <int N>
struct QVLaneTypes;

template <>
struct QVLaneTypes<2>
{
    typedef double Double __attribute__((vector_size(16)));
    typedef int32_t Int __attribute__((vector_size(8)));
    // 64-bit integers: what comparisons of Double values give (all ones where true).
    typedef int64_t Wide __attribute__((vector_size(16)));
    typedef uint64_t UnsignedWide __attribute__((vector_size(16)));
    // The bytes of Wide and of Int values.
    typedef uint8_t Bytes __attribute__((vector_size(16)));
    typedef uint8_t IntBytes __attribute__((vector_size(8)));
    // Pixel words (see PixelWords): 32 bits suffice when no exponent rides on top.
    typedef Int Word;
};

template <>
struct QVLaneTypes<4>
{
    typedef double Double __attribute__((vector_size(32)));
    typedef int32_t Int __attribute__((vector_size(16)));
    typedef int64_t Wide __attribute__((vector_size(32)));
    typedef uint64_t UnsignedWide __attribute__((vector_size(32)));
    typedef uint8_t Bytes __attribute__((vector_size(32)));
    typedef uint8_t IntBytes __attribute__((vector_size(16)));
    typedef Wide Word;
};

template <>
struct QVLaneTypes<8>
{
    typedef double Double __attribute__((vector_size(64)));
    typedef int32_t Int __attribute__((vector_size(32)));
    typedef int64_t Wide __attribute__((vector_size(64)));
    typedef uint64_t UnsignedWide __attribute__((vector_size(64)));
    typedef uint8_t Bytes __attribute__((vector_size(64)));
    typedef uint8_t IntBytes __attribute__((vector_size(32)));
    typedef Wide Word;
};

template <int N>
struct QVLanes : QVLaneTypes<N>
{
    using Double = typename QVLaneTypes<N>::Double;
    using Int = typename QVLaneTypes<N>::Int;
    using Wide = typename QVLaneTypes<N>::Wide;
    using Bytes = typename QVLaneTypes<N>::Bytes;
    using IntBytes = typename QVLaneTypes<N>::IntBytes;
    using Word = typename QVLaneTypes<N>::Word;
    using UnsignedWide = typename QVLaneTypes<N>::UnsignedWide;

    // The bit pattern of the double 2^52. Below it, the low bits of a double
    // with this exponent are an integer's bits: 2^52 + b for a byte b.
    static constexpr int64_t kTwo52Bits = 0x4330000000000000;
    static constexpr double kTwo52 = 4503599627370496.0;

    // group(start) for groups of N covering [from, to), to - from >= N. The
    // last group ends at to and overlaps the one before, whose pixels are then
    // computed twice: only for loops whose output does not feed their input.
    template <class Group>
    [[gnu::always_inline]] static void ForEachGroup(int from, int to, const Group& group)
    {
        for (int start = from;; start += N) {
            start = start < to - N ? start : to - N;
            group(start);
            if (start == to - N)
                return;
        }
    }

    [[gnu::always_inline]] static Int Iota(int first)
    {
        Int lanes;
        for (int l = 0; l < N; ++l)
            lanes[l] = first + l;
        return lanes;
    }

    // Whether every lane of a comparison's result is true.
    [[gnu::always_inline]] static bool AllTrue(Int mask)
    {
        uint64_t words[sizeof(Int) / 8];
        std::memcpy(words, &mask, sizeof words);
        uint64_t all = ~uint64_t(0);
        for (uint64_t word : words)
            all &= word;
        return all == ~uint64_t(0);
    }

    // double(i), exactly.
    [[gnu::always_inline]] static Double ToDouble(Int value)
    {
        return __builtin_convertvector(value, Double);
    }

    // int(value): truncation toward zero, as the plain loop's casts.
    [[gnu::always_inline]] static Int Truncate(Double value)
    {
        return __builtin_convertvector(value, Int);
    }

    // The 24-bit pixels at base + at[l], one per lane of a Word: the pixel's
    // bytes at the bottom (blue lowest) and, in 64-bit words, kTwo52Bits on
    // top (see Channel). Each is read as the four bytes ending at the pixel's
    // last byte: the byte before a picture's first pixel is its header's
    // last, so no read leaves the picture's block. (Loads lane by lane beat
    // the gather instruction on the processors measured.)
    [[gnu::always_inline]] static Word PixelWords(const uint8_t* base, Int at)
    {
        Word words;
#pragma GCC unroll 8
        for (int l = 0; l < N; ++l) {
            uint32_t word;
            // (Offsets are never negative: zero-extending them is free.)
            std::memcpy(&word, base + uint32_t(at[l]) - 1, sizeof word);
            words[l] = word >> 8;
        }
        if constexpr (N != 2)
            words |= kTwo52Bits;
        return words;
    }

    // The 24-bit pixels at base + at[l] (first) and the pixel after each
    // (second), as PixelWords gives them, from one eight-byte read per lane
    // that ends at the second pixel's last byte. Only for four or more lanes,
    // and only where every lane's second pixel lies in the same row.
    [[gnu::always_inline]] static void PixelPairs(const uint8_t* base, Int at, Word& first,
                                                  Word& second)
    {
        static_assert(N != 2, "pixel pairs need 64-bit words");
        UnsignedWide pairs;
#pragma GCC unroll 8
        for (int l = 0; l < N; ++l)
            std::memcpy(&pairs[l], base + uint32_t(at[l]) - 2, sizeof pairs[l]);
        // Bytes 2..4 are the first pixel, 5..7 the second.
        first = Word(pairs >> 16 & 0xFFFFFF) | kTwo52Bits;
        second = Word(pairs >> 40) | kTwo52Bits;
    }

    // Byte k of every lane's pixel word as a double, exactly.
    template <int k>
    [[gnu::always_inline]] static Double Channel(Word words)
    {
        if constexpr (N == 2) {
            return ToDouble((words >> (8 * k)) & 0xFF); // one instruction for two lanes
        } else {
            // GCC 12 converts four or more integers to doubles in pieces.
            // Instead one byte shuffle moves byte k to the bottom, byte 3
            // (always zero) above it and keeps the exponent bytes 6 and 7: the
            // lane then reads as the double 2^52 + byte.
            Bytes select;
#pragma GCC unroll 64
            for (int i = 0; i < 8 * N; ++i) {
                const int lane = i & ~7, at = i & 7;
                select[i] = uint8_t(lane + (at == 0 ? k : at >= 6 ? at : 3));
            }
            return (Double)__builtin_shuffle((Bytes)words, select) - kTwo52;
        }
    }

    // Stores N 24-bit pixels at out: channel k of lane l is byte k of pixel l.
    // Values are 0..255.
    [[gnu::always_inline]] static void StorePixels(uint8_t* out, Int blue, Int green, Int red)
    {
        const Int words = blue | green << 8 | red << 16;
        if constexpr (N == 2) {
            // SSE2 has no byte shuffle: the fourth byte of the first lane's
            // word is overwritten by the second lane's.
            std::memcpy(out, &words[0], 4);
            std::memcpy(out + 3, &words[1], 3);
        } else {
            // The first three bytes of every lane, packed.
            IntBytes select;
#pragma GCC unroll 32
            for (int i = 0; i < 4 * N; ++i)
                select[i] = uint8_t(i < 3 * N ? i / 3 * 4 + i % 3 : 0);
            const IntBytes packed = __builtin_shuffle((IntBytes)words, select);
            std::memcpy(out, &packed, 3 * N);
        }
    }
};
