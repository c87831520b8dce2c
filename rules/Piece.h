#pragma once
// Squares and piece codes of the 0x88 board.
//
// A square is a byte index file * 16 + rank (a1 = 0, a8 = 7, h1 = 112, h8 = 119).
// It is on the board exactly when (index & 0x88) == 0; 120 means "no square".
// A cell holds one piece code: white king 0, bishop 1, knight 2, rook 3,
// pawn 4, queen 5, off-board 6, empty 7; a black piece is the white code + 8.

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

using Square = std::uint8_t;
using PieceCode = std::uint8_t;

inline constexpr Square NoSquare = 120;

enum Piece : PieceCode {
    WhiteKing = 0,
    WhiteBishop = 1,
    WhiteKnight = 2,
    WhiteRook = 3,
    WhitePawn = 4,
    WhiteQueen = 5,
    OffBoard = 6,
    Empty = 7,
    BlackKing = 8,
    BlackBishop = 9,
    BlackKnight = 10,
    BlackRook = 11,
    BlackPawn = 12,
    BlackQueen = 13,
};

// Piece types (code & 7).
enum PieceType : PieceCode { King = 0, Bishop = 1, Knight = 2, Rook = 3, Pawn = 4, Queen = 5 };

enum Colour : std::uint8_t { White = 0, Black = 1 };

// Castling-right bits.
enum CastlingRight : std::uint8_t { WhiteShort = 1, WhiteLong = 2, BlackShort = 4, BlackLong = 8 };

constexpr bool onBoard(int square)
{
    return (square & 0x88) == 0;
}
constexpr int fileOf(int square)
{
    return square >> 4;
}
constexpr int rankOf(int square)
{
    return square & 15;
}
constexpr Square makeSquare(int file, int rank)
{
    return Square(file * 16 + rank);
}
constexpr PieceCode typeOf(PieceCode code)
{
    return code & 7;
}
constexpr bool isWhitePiece(PieceCode code)
{
    return code < 6;
}
constexpr bool isBlackPiece(PieceCode code)
{
    return (code & 8) != 0;
}
constexpr PieceCode pieceOf(Colour colour, PieceCode type)
{
    return PieceCode(type + (colour == Black ? 8 : 0));
}

// Code-to-letter table "KBNRPQ# kbnrpq%"; codes of 14 and above give '?'.
constexpr char fenLetter(PieceCode code)
{
    return code < 14 ? "KBNRPQ# kbnrpq%"[code] : '?';
}
// The twelve piece letters give their code; every other character gives 7 (empty).
PieceCode codeFromFenLetter(char letter);

// Square text: reading folds the file letter to lower case and keeps only the
// low 8 bits of the index; callers reject results that are off the board.
Square squareFromText(char file, char rank);
std::string squareText(Square square);
void appendSquareText(std::string& out, Square square);

// Named squares used by the rules.
namespace sq {
inline constexpr Square a1 = 0, b1 = 16, c1 = 32, d1 = 48, e1 = 64, f1 = 80, g1 = 96, h1 = 112;
inline constexpr Square a8 = 7, b8 = 23, c8 = 39, d8 = 55, e8 = 71, f8 = 87, g8 = 103, h8 = 119;
} // namespace sq

} // namespace qm
