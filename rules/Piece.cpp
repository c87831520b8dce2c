#include "rules/Piece.h"

namespace qm {

PieceCode codeFromFenLetter(char letter)
{
    switch (letter) {
    case 'K':
        return WhiteKing;
    case 'B':
        return WhiteBishop;
    case 'N':
        return WhiteKnight;
    case 'R':
        return WhiteRook;
    case 'P':
        return WhitePawn;
    case 'Q':
        return WhiteQueen;
    case 'k':
        return BlackKing;
    case 'b':
        return BlackBishop;
    case 'n':
        return BlackKnight;
    case 'r':
        return BlackRook;
    case 'p':
        return BlackPawn;
    case 'q':
        return BlackQueen;
    default:
        return Empty;
    }
}

Square squareFromText(char file, char rank)
{
    char lower = (file >= 'A' && file <= 'Z') ? char(file - 'A' + 'a') : file;
    return Square(((lower - 'a') * 16 + (rank - '1')) & 0xFF);
}

void appendSquareText(std::string& out, Square square)
{
    out += char('a' + square / 16);
    out += char('1' + square % 16);
}

std::string squareText(Square square)
{
    std::string s;
    appendSquareText(s, square);
    return s;
}

} // namespace qm
