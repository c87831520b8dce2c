#pragma once
// The board layout table: one row per supported screen size and mode
// (playing or setting up a position), holding where the board and its strips
// go, how large squares and pieces are, and which bitmaps and dialog
// templates the row uses. Plain data; no platform code.

#include <array>
#include <cstdint>

namespace qm {

// One row of the layout table. Field order is the row's storage order;
// resource ids are 16-bit values kept as int.
struct BoardLayout {
    int screenWidth, screenHeight;
    int mode; // 0 playing, 1 position editor
    int togglePressed; // 1: the "Toggle layout" button shows pressed
    int pieceSize; // index into PieceSizes
    int squareWidth, squareHeight;
    int frameWidth; // pen width of the red selection frames
    int pieceOffset; // rows skipped at the top of a piece cell
    int previewPieceSize, previewSquareSize;
    int statusValue1; // width of the clock area
    int topStripLength; // length of the top and bottom strips, 0 without them
    int sideStripLength; // height of the left and right strips
    int bottomStripHeight, leftStripWidth, rightStripWidth;
    int statusValue2; // characters of the principal variation per status line
    int statusValue3; // height of one status text line
    int boardX, boardY; // top-left corner of the squares; boardY is the top strip height
    int buttonX; // left edge of the tool-button column
    int iconSize, buttonWidth, buttonHeight;
    std::array<int, 2> topStrip, bottomStrip, leftStrip, rightStrip; // normal, flipped; 0 for none
    int setupDialog;
    int gameDetailsDialog, gameMovesDialog, commentDialog, bookDialog;
    int listX, listY, listWidth, listHeight;
    std::array<int, 5> listColumns;
};

inline constexpr int LayoutCount = 14;
extern const std::array<BoardLayout, LayoutCount> LayoutTable;

// Cell widths of the five piece strips.
inline constexpr std::array<int, 5> PieceSizes = {20, 24, 30, 48, 60};

// The row to use on a screen of the given size: the first row at or after
// `start` (wrapping from 13 to 0) whose screen size and mode match; `start`
// itself when none does. A start outside 0..13 counts as 0.
int selectLayoutIndex(int start, int mode, int screenWidth, int screenHeight);

// Piece sets: names and the five strip resources (20, 24, 30, 48, 60 pixels).
inline constexpr int PieceSetCount = 6;
extern const std::array<const char*, PieceSetCount> PieceSetNames;
// The strip of set 0..5 (others count as 0) at piece size 0..4.
int pieceStripId(int pieceSet, int pieceSize);

// Square textures: resource id, name, and whether the border strips use the
// dark half (else the light half).
struct TextureInfo {
    int id;
    const char* name;
    bool darkBorder;
};
inline constexpr int TextureCount = 11;
extern const std::array<TextureInfo, TextureCount> Textures;
// The entry of a texture resource id; the first texture for an unknown id.
const TextureInfo& textureInfo(int id);

// Icon strips of the tool buttons.
inline constexpr int SmallIconStrip = 133;
inline constexpr int LargeIconStrip = 135;

} // namespace qm
