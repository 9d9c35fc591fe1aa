// The vector decoder of whole tiles at scale 1, and the choice of it at
// start-up. Only x86-64 has one (AVX2 with carry-less multiplication, checked
// at run time); everywhere else, and on older processors, tiles are decoded
// by the portable table path in TileDecoder.h.

#include "graphics/TileDecoder.h"

#if defined(__x86_64__) || defined(_M_X64)
#define QUORVAN_X86_64 1
#include <immintrin.h>
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#define QUORVAN_TARGET_AVX2 // MSVC takes AVX2 intrinsics in any function
#else
#define QUORVAN_TARGET_AVX2 __attribute__((target("avx2,pclmul")))
#endif
#endif

namespace quorvan {

namespace {

#ifdef QUORVAN_X86_64

// One screen row: each lane shifted so that its pixel's value stands lowest,
// then looked up among the colours.
QUORVAN_TARGET_AVX2 inline void StoreRow(std::uint32_t* to, __m256i table, __m256i shifts, __m256i lanes)
{
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to), _mm256_permutevar8x32_epi32(table, _mm256_srlv_epi32(lanes, shifts)));
}

// Row r of a tile as one 32-bit lane per pixel: the carry-less square of a
// plane's eight bytes moves bit k of every byte to bit 2k of that byte's
// 16-bit lane, so that pixel c of row r (bit 7 - c of its two plane bytes)
// becomes bits 14 - 2c (plane 0) and 15 - 2c (plane 1) of lane r. Shifting
// each of eight copies of lane r right by 14 - 2c brings pixel c's value to
// the two lowest bits; the table lookup reads only the three lowest, so the
// four colours stand twice in the table and the bit above needs no masking.
QUORVAN_TARGET_AVX2 void DecodeAvx2(const std::uint8_t* bytes, const std::uint32_t* colours, std::uint32_t* out,
                                    std::ptrdiff_t stride)
{
    const __m128i planes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    const __m128i plane0 = _mm_clmulepi64_si128(planes, planes, 0x00);
    const __m128i plane1 = _mm_clmulepi64_si128(planes, planes, 0x11);
    const __m256i rows = _mm256_cvtepu16_epi32(_mm_or_si128(plane0, _mm_slli_epi16(plane1, 1)));
    const __m256i top = _mm256_permute2x128_si256(rows, rows, 0x00);    // rows 0..3 in both halves
    const __m256i bottom = _mm256_permute2x128_si256(rows, rows, 0x11); // rows 4..7 in both halves
    const __m256i table = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(colours)));
    const __m256i shifts = _mm256_setr_epi32(14, 12, 10, 8, 6, 4, 2, 0);
    // The lane of each row copied across its half (the immediate picks it).
    StoreRow(out, table, shifts, _mm256_shuffle_epi32(top, 0x00));
    StoreRow(out + stride, table, shifts, _mm256_shuffle_epi32(top, 0x55));
    StoreRow(out + 2 * stride, table, shifts, _mm256_shuffle_epi32(top, 0xAA));
    StoreRow(out + 3 * stride, table, shifts, _mm256_shuffle_epi32(top, 0xFF));
    StoreRow(out + 4 * stride, table, shifts, _mm256_shuffle_epi32(bottom, 0x00));
    StoreRow(out + 5 * stride, table, shifts, _mm256_shuffle_epi32(bottom, 0x55));
    StoreRow(out + 6 * stride, table, shifts, _mm256_shuffle_epi32(bottom, 0xAA));
    StoreRow(out + 7 * stride, table, shifts, _mm256_shuffle_epi32(bottom, 0xFF));
}

bool HasAvx2()
{
#if defined(_MSC_VER) && !defined(__clang__)
    int info[4] = {};
    __cpuid(info, 0);
    if (info[0] < 7)
        return false;
    __cpuid(info, 1);
    const bool pclmul = (info[2] & (1 << 1)) != 0;
    const bool osSaves = (info[2] & (1 << 27)) != 0;
    const bool avx = (info[2] & (1 << 28)) != 0;
    if (!pclmul || !osSaves || !avx || (_xgetbv(0) & 0x6) != 0x6) // the system saves the vector registers
        return false;
    __cpuidex(info, 7, 0);
    return (info[1] & (1 << 5)) != 0;
#else
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("pclmul");
#endif
}

VectorTileDecoder Available()
{
    static const VectorTileDecoder decoder = HasAvx2() ? &DecodeAvx2 : nullptr;
    return decoder;
}

#else

VectorTileDecoder Available()
{
    return nullptr;
}

#endif

} // namespace

namespace detail {
VectorTileDecoder vectorTileDecoder = Available();
} // namespace detail

bool UseVectorTileDecoder(bool use)
{
    detail::vectorTileDecoder = use ? Available() : nullptr;
    return detail::vectorTileDecoder != nullptr;
}

} // namespace quorvan
