// The name rule of the MS SQL parser: names are compared as a server with a
// case-insensitive collation compares them, so [Caf\u00e9] and [CAF\u00c9] name one
// object. Each code point is case-folded (simple folding) and then
// upper-cased, which keeps ASCII names in the upper case the collection
// has always used. The table holds every code point from U+0080 on that
// the rule changes, as runs: first code point, length, step between code
// points (1 or 2) and the difference to add.
#include "qelMSSQLWords.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace qel {

namespace {

struct TCaseRun {
    std::uint32_t First;
    std::uint16_t Count;
    std::uint8_t Step;
    std::int32_t Delta;
};

constexpr TCaseRun kCaseRuns[] = {
    {0xB5, 1, 1, 743}, {0xE0, 23, 1, -32}, {0xF8, 7, 1, -32}, {0xFF, 1, 1, 121}, {0x101, 24, 2, -1},
    {0x131, 1, 1, -232}, {0x133, 3, 2, -1}, {0x13A, 8, 2, -1}, {0x14B, 23, 2, -1}, {0x17A, 3, 2, -1},
    {0x17F, 1, 1, -300}, {0x180, 1, 1, 195}, {0x183, 2, 2, -1}, {0x188, 1, 1, -1}, {0x18C, 1, 1, -1},
    {0x192, 1, 1, -1}, {0x195, 1, 1, 97}, {0x199, 1, 1, -1}, {0x19A, 1, 1, 163}, {0x19E, 1, 1, 130},
    {0x1A1, 3, 2, -1}, {0x1A8, 1, 1, -1}, {0x1AD, 1, 1, -1}, {0x1B0, 1, 1, -1}, {0x1B4, 2, 2, -1}, {0x1B9, 1, 1, -1},
    {0x1BD, 1, 1, -1}, {0x1BF, 1, 1, 56}, {0x1C5, 1, 1, -1}, {0x1C6, 1, 1, -2}, {0x1C8, 1, 1, -1}, {0x1C9, 1, 1, -2},
    {0x1CB, 1, 1, -1}, {0x1CC, 1, 1, -2}, {0x1CE, 8, 2, -1}, {0x1DD, 1, 1, -79}, {0x1DF, 9, 2, -1},
    {0x1F2, 1, 1, -1}, {0x1F3, 1, 1, -2}, {0x1F5, 1, 1, -1}, {0x1F9, 20, 2, -1}, {0x223, 9, 2, -1},
    {0x23C, 1, 1, -1}, {0x23F, 2, 1, 10815}, {0x242, 1, 1, -1}, {0x247, 5, 2, -1}, {0x250, 1, 1, 10783},
    {0x251, 1, 1, 10780}, {0x252, 1, 1, 10782}, {0x253, 1, 1, -210}, {0x254, 1, 1, -206}, {0x256, 2, 1, -205},
    {0x259, 1, 1, -202}, {0x25B, 1, 1, -203}, {0x25C, 1, 1, 42319}, {0x260, 1, 1, -205}, {0x261, 1, 1, 42315},
    {0x263, 1, 1, -207}, {0x265, 1, 1, 42280}, {0x266, 1, 1, 42308}, {0x268, 1, 1, -209}, {0x269, 1, 1, -211},
    {0x26A, 1, 1, 42308}, {0x26B, 1, 1, 10743}, {0x26C, 1, 1, 42305}, {0x26F, 1, 1, -211}, {0x271, 1, 1, 10749},
    {0x272, 1, 1, -213}, {0x275, 1, 1, -214}, {0x27D, 1, 1, 10727}, {0x280, 1, 1, -218}, {0x282, 1, 1, 42307},
    {0x283, 1, 1, -218}, {0x287, 1, 1, 42282}, {0x288, 1, 1, -218}, {0x289, 1, 1, -69}, {0x28A, 2, 1, -217},
    {0x28C, 1, 1, -71}, {0x292, 1, 1, -219}, {0x29D, 1, 1, 42261}, {0x29E, 1, 1, 42258}, {0x345, 1, 1, 84},
    {0x371, 2, 2, -1}, {0x377, 1, 1, -1}, {0x37B, 3, 1, 130}, {0x3AC, 1, 1, -38}, {0x3AD, 3, 1, -37},
    {0x3B1, 17, 1, -32}, {0x3C2, 1, 1, -31}, {0x3C3, 9, 1, -32}, {0x3CC, 1, 1, -64}, {0x3CD, 2, 1, -63},
    {0x3D0, 1, 1, -62}, {0x3D1, 1, 1, -57}, {0x3D5, 1, 1, -47}, {0x3D6, 1, 1, -54}, {0x3D7, 1, 1, -8},
    {0x3D9, 12, 2, -1}, {0x3F0, 1, 1, -86}, {0x3F1, 1, 1, -80}, {0x3F2, 1, 1, 7}, {0x3F3, 1, 1, -116},
    {0x3F4, 1, 1, -92}, {0x3F5, 1, 1, -96}, {0x3F8, 1, 1, -1}, {0x3FB, 1, 1, -1}, {0x430, 32, 1, -32},
    {0x450, 16, 1, -80}, {0x461, 17, 2, -1}, {0x48B, 27, 2, -1}, {0x4C2, 7, 2, -1}, {0x4CF, 1, 1, -15},
    {0x4D1, 48, 2, -1}, {0x561, 38, 1, -48}, {0x10D0, 43, 1, 3008}, {0x10FD, 3, 1, 3008}, {0x13F8, 6, 1, -8},
    {0x1C80, 1, 1, -6254}, {0x1C81, 1, 1, -6253}, {0x1C82, 1, 1, -6244}, {0x1C83, 2, 1, -6242},
    {0x1C85, 1, 1, -6243}, {0x1C86, 1, 1, -6236}, {0x1C87, 1, 1, -6181}, {0x1C88, 1, 1, 35266},
    {0x1D79, 1, 1, 35332}, {0x1D7D, 1, 1, 3814}, {0x1D8E, 1, 1, 35384}, {0x1E01, 75, 2, -1}, {0x1E9B, 1, 1, -59},
    {0x1E9E, 1, 1, -7615}, {0x1EA1, 48, 2, -1}, {0x1F00, 8, 1, 8}, {0x1F10, 6, 1, 8}, {0x1F20, 8, 1, 8},
    {0x1F30, 8, 1, 8}, {0x1F40, 6, 1, 8}, {0x1F51, 4, 2, 8}, {0x1F60, 8, 1, 8}, {0x1F70, 2, 1, 74},
    {0x1F72, 4, 1, 86}, {0x1F76, 2, 1, 100}, {0x1F78, 2, 1, 128}, {0x1F7A, 2, 1, 112}, {0x1F7C, 2, 1, 126},
    {0x1F88, 8, 1, -8}, {0x1F98, 8, 1, -8}, {0x1FA8, 8, 1, -8}, {0x1FB0, 2, 1, 8}, {0x1FBC, 1, 1, -9},
    {0x1FBE, 1, 1, -7205}, {0x1FCC, 1, 1, -9}, {0x1FD0, 2, 1, 8}, {0x1FE0, 2, 1, 8}, {0x1FE5, 1, 1, 7},
    {0x1FFC, 1, 1, -9}, {0x2126, 1, 1, -7549}, {0x212A, 1, 1, -8415}, {0x212B, 1, 1, -8294}, {0x214E, 1, 1, -28},
    {0x2170, 16, 1, -16}, {0x2184, 1, 1, -1}, {0x24D0, 26, 1, -26}, {0x2C30, 48, 1, -48}, {0x2C61, 1, 1, -1},
    {0x2C65, 1, 1, -10795}, {0x2C66, 1, 1, -10792}, {0x2C68, 3, 2, -1}, {0x2C73, 1, 1, -1}, {0x2C76, 1, 1, -1},
    {0x2C81, 50, 2, -1}, {0x2CEC, 2, 2, -1}, {0x2CF3, 1, 1, -1}, {0x2D00, 38, 1, -7264}, {0x2D27, 1, 1, -7264},
    {0x2D2D, 1, 1, -7264}, {0xA641, 23, 2, -1}, {0xA681, 14, 2, -1}, {0xA723, 7, 2, -1}, {0xA733, 31, 2, -1},
    {0xA77A, 2, 2, -1}, {0xA77F, 5, 2, -1}, {0xA78C, 1, 1, -1}, {0xA791, 2, 2, -1}, {0xA794, 1, 1, 48},
    {0xA797, 10, 2, -1}, {0xA7B5, 8, 2, -1}, {0xA7C8, 2, 2, -1}, {0xA7D1, 1, 1, -1}, {0xA7D7, 2, 2, -1},
    {0xA7F6, 1, 1, -1}, {0xAB53, 1, 1, -928}, {0xAB70, 80, 1, -38864}, {0xFF41, 26, 1, -32}, {0x10428, 40, 1, -40},
    {0x104D8, 36, 1, -40}, {0x10597, 11, 1, -39}, {0x105A3, 15, 1, -39}, {0x105B3, 7, 1, -39}, {0x105BB, 2, 1, -39},
    {0x10CC0, 51, 1, -64}, {0x118C0, 32, 1, -32}, {0x16E60, 32, 1, -32}, {0x1E922, 34, 1, -34},
};

std::uint32_t FoldUpper(std::uint32_t Code)
{
    if (Code < 0x80) return Code >= 'a' && Code <= 'z' ? Code - 32 : Code;
    const auto* run = std::upper_bound(std::begin(kCaseRuns), std::end(kCaseRuns), Code,
                                       [](std::uint32_t c, const TCaseRun& r) { return c < r.First; });
    if (run == std::begin(kCaseRuns)) return Code;
    --run;
    const std::uint32_t offset = Code - run->First;
    if (offset % run->Step != 0 || offset / run->Step >= run->Count) return Code;
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(Code) + run->Delta);
}

// The code point of a well-formed UTF-8 sequence at Text[i] and its length;
// 0 when none starts there (a byte of a code page, or a broken sequence).
std::size_t DecodeUtf8(std::string_view Text, std::size_t i, std::uint32_t& Code)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(Text[k]); };
    const unsigned char b = byte(i);
    std::size_t length = b >= 0xF0 && b < 0xF5 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 && b < 0xE0 ? 2 : 0;
    if (b >= 0xF5 || length == 0 || i + length > Text.size()) return 0;
    Code = b & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        Code = (Code << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms and surrogates are no code points of their own.
    static constexpr std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (Code < least[length] || (Code >= 0xD800 && Code < 0xE000) || Code > 0x10FFFF) return 0;
    return length;
}

} // namespace

void AppendUtf8(std::string& Out, std::uint32_t Code)
{
    if (Code < 0x80) {
        Out += static_cast<char>(Code);
    } else if (Code < 0x800) {
        Out += static_cast<char>(0xC0 | (Code >> 6));
        Out += static_cast<char>(0x80 | (Code & 0x3F));
    } else if (Code < 0x10000) {
        Out += static_cast<char>(0xE0 | (Code >> 12));
        Out += static_cast<char>(0x80 | ((Code >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (Code & 0x3F));
    } else {
        Out += static_cast<char>(0xF0 | (Code >> 18));
        Out += static_cast<char>(0x80 | ((Code >> 12) & 0x3F));
        Out += static_cast<char>(0x80 | ((Code >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (Code & 0x3F));
    }
}

std::string MSSQLNameKey(std::string_view Name)
{
    std::string out;
    out.reserve(Name.size());
    for (std::size_t i = 0; i < Name.size();) {
        std::uint32_t code = static_cast<unsigned char>(Name[i]);
        std::size_t length = code < 0x80 ? 1 : DecodeUtf8(Name, i, code);
        if (length == 0) {
            // Not UTF-8: the byte stays as it is.
            out += Name[i++];
            continue;
        }
        AppendUtf8(out, FoldUpper(code));
        i += length;
    }
    return out;
}

} // namespace qel
