#include "board/BoardLayout.h"

namespace qm {

namespace {

constexpr std::array<int, 2> None = {0, 0};
constexpr std::array<int, 5> SmallColumns = {31, 60, 60, 80, 60};
constexpr std::array<int, 5> LargeColumns = {62, 120, 120, 160, 120};

} // namespace

// clang-format off
const std::array<BoardLayout, LayoutCount> LayoutTable = {{
    // screen     mode tog ps  square  fr off prev    st1 top  side bot lft rgt st2 st3 board   btnx icon btn      top         bottom      left        right       setup dlg                list
    {240, 320,    0,   0,  2,  30, 30, 1, 0,  1, 24,  75, 0,   0,   0,  0,  0,  20, 14, 0,  0,  0,   16, 24, 24, None,       None,       None,       None,       121, 113, 112, 449, 195, 5, 5, 230, 205, SmallColumns},
    {240, 320,    0,   1,  1,  24, 24, 1, 0,  1, 24,  75, 192, 212, 6,  16, 8,  72, 14, 16, 14, 216, 16, 24, 24, {128, 134}, {132, 132}, {130, 127}, {131, 131}, 121, 113, 112, 449, 195, 5, 5, 230, 205, SmallColumns},
    {240, 320,    1,   1,  1,  24, 24, 1, 0,  1, 24,  75, 192, 212, 6,  16, 8,  72, 14, 16, 14, 216, 16, 24, 24, {128, 134}, {132, 132}, {130, 127}, {131, 131}, 121, 113, 112, 449, 195, 5, 5, 230, 205, SmallColumns},
    {320, 240,    0,   0,  1,  24, 23, 1, 1,  1, 24,  75, 192, 188, 2,  0,  8,  72, 14, 0,  2,  296, 16, 24, 20, {128, 134}, {132, 132}, {130, 127}, {131, 136}, 122, 113, 120, 450, 196, 5, 5, 300, 205, SmallColumns},
    {320, 240,    1,   0,  0,  20, 20, 1, 0,  0, 20,  75, 0,   160, 0,  16, 16, 30, 14, 16, 0,  296, 16, 24, 20, None,       None,       {142, 143}, {144, 145}, 122, 113, 120, 450, 196, 5, 5, 300, 205, SmallColumns},
    {240, 240,    0,   0,  1,  24, 23, 1, 1,  1, 24,  75, 216, 188, 2,  24, 24, 72, 14, 24, 2,  216, 16, 24, 24, {128, 134}, {132, 132}, {157, 158}, {159, 160}, 121, 113, 120, 450, 196, 5, 5, 230, 205, SmallColumns},
    {240, 240,    1,   0,  1,  24, 23, 1, 1,  1, 24,  75, 0,   160, 0,  0,  0,  30, 14, 0,  0,  296, 16, 24, 20, None,       None,       {142, 143}, {144, 145}, 123, 113, 120, 450, 196, 5, 5, 300, 205, SmallColumns},
    {480, 640,    0,   0,  4,  60, 60, 2, 0,  3, 48,  150, 0,  0,   0,  0,  0,  24, 28, 0,  0,  0,   32, 48, 48, None,       None,       None,       None,       121, 113, 112, 449, 195, 10, 10, 460, 410, LargeColumns},
    {480, 640,    0,   1,  3,  48, 48, 2, 0,  3, 48,  150, 384, 424, 12, 32, 16, 72, 28, 32, 28, 432, 32, 48, 48, {150, 151}, {152, 153}, {146, 147}, {148, 149}, 121, 113, 112, 449, 195, 10, 10, 460, 410, LargeColumns},
    {480, 640,    1,   1,  3,  48, 48, 2, 0,  3, 48,  150, 384, 424, 12, 32, 16, 72, 28, 32, 28, 432, 32, 48, 48, {150, 151}, {152, 153}, {146, 147}, {148, 149}, 121, 113, 112, 449, 195, 10, 10, 460, 410, LargeColumns},
    {640, 480,    0,   0,  3,  48, 46, 2, 2,  3, 48,  150, 384, 376, 4,  0,  16, 72, 28, 0,  4,  592, 32, 48, 40, {150, 151}, {152, 153}, {146, 147}, {148, 149}, 121, 113, 120, 450, 196, 10, 10, 580, 410, LargeColumns},
    {640, 480,    1,   0,  3,  48, 46, 2, 2,  3, 48,  150, 384, 376, 4,  48, 16, 72, 14, 48, 4,  216, 32, 48, 40, {150, 151}, {152, 153}, {161, 162}, {148, 149}, 129, 113, 120, 450, 196, 10, 10, 580, 410, LargeColumns},
    {480, 480,    0,   0,  3,  48, 46, 2, 2,  3, 48,  150, 432, 376, 4,  48, 48, 72, 28, 48, 4,  216, 32, 48, 48, {150, 151}, {152, 153}, {161, 162}, {163, 164}, 121, 113, 120, 450, 196, 10, 10, 460, 410, LargeColumns},
    {480, 480,    1,   0,  3,  48, 46, 2, 2,  3, 48,  150, 0,   320, 0,  0,  0,  72, 14, 0,  0,  216, 16, 24, 24, None,       None,       {161, 162}, {163, 164}, 123, 113, 120, 450, 196, 10, 10, 460, 410, LargeColumns},
}};
// clang-format on

int selectLayoutIndex(int start, int mode, int screenWidth, int screenHeight)
{
    if (start < 0 || start >= LayoutCount)
        start = 0;
    for (int i = 0; i < LayoutCount; ++i) {
        const int row = (start + i) % LayoutCount;
        const BoardLayout& l = LayoutTable[std::size_t(row)];
        if (l.screenWidth == screenWidth && l.screenHeight == screenHeight && l.mode == mode)
            return row;
    }
    return start;
}

const std::array<const char*, PieceSetCount> PieceSetNames
    = {"Cases", "Leipzig", "Mark", "Spanish", "Toonish", "Blocks"};

int pieceStripId(int pieceSet, int pieceSize)
{
    if (pieceSet < 0 || pieceSet >= PieceSetCount)
        pieceSet = 0;
    if (pieceSize < 0 || pieceSize >= int(PieceSizes.size()))
        pieceSize = 0;
    return 700 + 10 * pieceSet + pieceSize;
}

const std::array<TextureInfo, TextureCount> Textures = {{
    {137, "Brown", true},
    {138, "Blue marble", true},
    {139, "Green marble", false},
    {140, "Slate", false},
    {141, "Red marble", false},
    {154, "Maple", true},
    {155, "Cherry", true},
    {156, "Oak", false},
    {165, "Black marble", false},
    {166, "Light blue marble", true},
    {167, "Dark blue marble", false},
}};

const TextureInfo& textureInfo(int id)
{
    for (const TextureInfo& t : Textures)
        if (t.id == id)
            return t;
    return Textures[0];
}

} // namespace qm
