// SAN writing and reading, coordinate text.
//
// readSan runs for every move of every PGN game read, so the common forms
// (pawn pushes, pawn captures, undisambiguated piece moves) are answered by
// two shortcuts without generating all legal moves, and move texts are built
// in small fixed buffers rather than strings.

#include "rules/Notation.h"

#include "rules/Directions.h"

#include <cstring>

namespace qm {

namespace {

constexpr char SanLetters[] = "KBNRPQ# KBNRPQ%";
constexpr char CoordinateLetters[] = "kbnrpq# kbnrpq%";
constexpr int MaxNormalised = 19;

// A short text in a fixed buffer; move texts are at most a dozen characters
// and normalised texts at most 19.
struct SmallText {
    char text[32];
    int length = 0;
    void add(char c)
    {
        if (length < int(sizeof text))
            text[length++] = c;
    }
    void addSquare(Square s)
    {
        add(char('a' + s / 16));
        add(char('1' + s % 16));
    }
    void addText(const char* s)
    {
        while (*s)
            add(*s++);
    }
    bool operator==(const SmallText& o) const
    {
        return length == o.length && std::memcmp(text, o.text, size_t(length)) == 0;
    }
    std::string str() const { return std::string(text, size_t(length)); }
};

char sanLetter(PieceCode code)
{
    return code < 15 ? SanLetters[code] : '?';
}

SmallText normalise(const char* text, size_t size)
{
    SmallText out;
    size_t n = size < size_t(MaxNormalised) ? size : size_t(MaxNormalised);
    for (size_t i = 0; i < n; ++i) {
        char c = text[i];
        switch (c) {
        case '!':
        case '#':
        case '+':
        case '-':
        case '=':
        case '?':
        case 'x':
            continue;
        case '0':
            out.add('o');
            continue;
        default:
            break;
        }
        if (c >= 'A' && c <= 'Z' && c != 'B')
            c = char(c - 'A' + 'a');
        out.add(c);
    }
    if (out.length > 3 && out.text[out.length - 2] == 'e' && out.text[out.length - 1] == 'p')
        out.length -= 2;
    return out;
}

SmallText normalise(const SmallText& t)
{
    return normalise(t.text, size_t(t.length));
}

// The SAN of a legal move without the check suffix.
SmallText sanBody(CPosition& position, CMove move, const CMoveList* legalMoves, bool forceRank, bool forceFile)
{
    SmallText out;
    if (move.isCastling()) {
        out.addText(fileOf(move.to) == 6 ? "O-O" : "O-O-O");
        return out;
    }
    const bool pawnLike = typeOf(move.piece) == Pawn || move.isPromotion();
    if (!pawnLike)
        out.add(sanLetter(move.piece));

    bool needFile = false, needRank = false;
    if (forceRank || forceFile) {
        needFile = forceFile;
        needRank = forceRank;
    } else if (typeOf(move.piece) != King) {
        auto consider = [&](const CMove& other) {
            if (other.to != move.to || other.from == move.from || other.piece != move.piece
                || other.isPromotion() != move.isPromotion())
                return;
            if (fileOf(other.from) != fileOf(move.from))
                needFile = true;
            else
                needRank = true;
        };
        if (legalMoves) {
            for (const CMove& other : *legalMoves)
                consider(other);
        } else if (!pawnLike) {
            // Without a list, the rivals are the pieces of the same code that
            // reach the destination: found by looking back from it along the
            // piece's own steps, each then tested for legality.
            const directions::Steps& d = directions::forPiece(typeOf(move.piece), isBlackPiece(move.piece));
            const bool slides = typeOf(move.piece) != Knight;
            const Square king = position.findKing(Colour(position.sideToMove));
            for (int k = 0; k < d.count; ++k) {
                int s = move.to + d.step[k];
                if (slides)
                    while (onBoard(s) && position.board[s] == Empty)
                        s += d.step[k];
                if (onBoard(s) && s != move.from && position.board[s] == move.piece) {
                    CMove rival(Square(s), move.piece, move.to, move.flags);
                    if (position.isLegalMove(rival, king))
                        consider(rival);
                }
            }
        }
        // A pawn-like move has no rival of the same piece from its own file,
        // and one from another file is a capture, which names the file anyway.
    }
    if (pawnLike && move.isCapture())
        needFile = true;
    if (needFile)
        out.add(char('a' + fileOf(move.from)));
    if (needRank)
        out.add(char('1' + rankOf(move.from)));
    if (move.isCapture())
        out.add('x');
    out.addSquare(move.to);
    if (move.isPromotion()) {
        out.add('=');
        out.add(sanLetter(move.piece));
    }
    return out;
}

bool isFileLetter(char c)
{
    return c >= 'a' && c <= 'h';
}
bool isRankDigit(char c)
{
    return c >= '1' && c <= '8';
}
bool ownPiece(PieceCode code, int side)
{
    return code != Empty && (side == White ? isWhitePiece(code) : isBlackPiece(code));
}

// The legality test of one readSan call, for moves of the side to move.
struct Legality {
    CPosition& p;
    Square king;
    bool outOfCheck;
    Legality(CPosition& position, CheckStatus check)
        : p(position), king(position.findKing(Colour(position.sideToMove))),
          outOfCheck(check == CheckStatus::NotInCheck)
    {
    }
    bool operator()(CMove m) const { return outOfCheck ? p.isLegalMoveOutOfCheck(m, king) : p.isLegalMove(m, king); }
};

// The pawn push shortcut: "e3" when a pawn stands directly behind e3. A
// double step ("e4" with a pawn on e2 and e3 empty) is found here too: it is
// the only move whose SAN is that text, as exact matching would find.
CMove pawnPushShortcut(CPosition& p, const SmallText& t, const Legality& isLegal)
{
    if (!isFileLetter(t.text[0]) || !isRankDigit(t.text[1]))
        return NoMove;
    const Square target = squareFromText(t.text[0], t.text[1]);
    if (p.board[target] != Empty)
        return NoMove;
    const bool white = p.sideToMove == White;
    const int back = white ? -1 : 1;
    const PieceCode pawn = white ? WhitePawn : BlackPawn;
    // A push onto the last rank needs a promotion piece: exact matching decides.
    if (rankOf(target) == (white ? 7 : 0))
        return NoMove;
    int from = target + back;
    if (!onBoard(from))
        return NoMove;
    if (p.board[from] != pawn) {
        if (p.board[from] != Empty || rankOf(target) != (white ? 3 : 4) || p.board[from + back] != pawn)
            return NoMove;
        from += back;
    }
    CMove move(Square(from), pawn, target, Empty);
    return isLegal(move) ? move : NoMove;
}

// "oo" and "ooo": the castling move, the only move with that SAN.
CMove castlingShortcut(CPosition& p, const SmallText& t, const Legality& isLegal)
{
    if (t.text[0] != 'o' || t.text[1] != 'o' || (t.length == 3 && t.text[2] != 'o'))
        return NoMove;
    const bool white = p.sideToMove == White;
    const CMove castling = white ? (t.length == 2 ? WhiteShortCastling : WhiteLongCastling)
                                 : (t.length == 2 ? BlackShortCastling : BlackLongCastling);
    if (p.board[castling.from] != castling.piece)
        return NoMove;
    // The generator makes castling only through unattacked squares, so the
    // pseudo-legal king moves decide; the legality test stays for form.
    CMoveList moves(CMoveList::Scratch);
    p.generatePieceMoves(castling.from, moves);
    for (const CMove& m : moves)
        if (m == castling)
            return isLegal(m) ? m : NoMove;
    return NoMove;
}

// The piece a normalised SAN letter names ('B' bishop, 'n' knight, 'r'
// rook, 'q' queen, 'k' king), or 7 for any other character.
PieceCode pieceTypeOfLetter(char letter)
{
    switch (letter) {
    case 'B':
        return Bishop;
    case 'n':
        return Knight;
    case 'r':
        return Rook;
    case 'q':
        return Queen;
    case 'k':
        return King;
    default:
        return Empty;
    }
}

// The pieces of the side to move of that type that reach target, found by
// looking back from it along the generator's steps, in the tables' order;
// each is handed to visit, which returns true to stop the search.
template <typename Visit>
void forPiecesReaching(const CPosition& p, PieceCode type, Square target, Visit&& visit)
{
    const int side = p.sideToMove;
    const PieceCode piece = pieceOf(Colour(side), type);
    const directions::Steps& d = directions::forPiece(type, side);
    const bool slides = type != Knight && type != King;
    for (int k = 0; k < d.count; ++k) {
        int s = target + d.step[k];
        if (slides)
            while (onBoard(s) && p.board[s] == Empty)
                s += d.step[k];
        if (onBoard(s) && p.board[s] == piece && visit(Square(s)))
            return;
    }
}

// The capture flags of a move onto target, or false when the side to move's
// own piece stands there.
bool flagsOnto(const CPosition& p, Square target, std::uint8_t& flags)
{
    const PieceCode onTarget = p.board[target];
    if (ownPiece(onTarget, p.sideToMove))
        return false;
    flags = onTarget == Empty ? std::uint8_t(Empty) : std::uint8_t(onTarget | CaptureFlag);
    return true;
}

// The disambiguated piece shortcut: "Nbd7" or "R1e2" names the first piece
// in square order on that file or rank whose move to the square is legal.
// Exact and tolerant matching give the same move: a SAN naming only the file
// is written when no other such piece shares it, and the tolerant forced
// file and rank forms take the first in generation order.
CMove disambiguatedShortcut(CPosition& p, const SmallText& t, const Legality& isLegal)
{
    const PieceCode type = pieceTypeOfLetter(t.text[0]);
    const char which = t.text[1];
    if (type == Empty || !isFileLetter(t.text[2]) || !isRankDigit(t.text[3])
        || !(isFileLetter(which) || isRankDigit(which)))
        return NoMove;
    const Square target = squareFromText(t.text[2], t.text[3]);
    std::uint8_t flags;
    if (!flagsOnto(p, target, flags))
        return NoMove;
    CMove best = NoMove;
    forPiecesReaching(p, type, target, [&](Square from) {
        const bool named = isFileLetter(which) ? fileOf(from) == which - 'a' : rankOf(from) == which - '1';
        if (!named || (best != NoMove && from > best.from))
            return false;
        CMove move(from, pieceOf(Colour(p.sideToMove), type), target, flags);
        if (isLegal(move))
            best = move;
        return false;
    });
    return best;
}

// The three-character shortcut: "Nf3" (first legal piece in table order) or
// "ed5" (a pawn capture from the neighbouring file named).
CMove threeCharacterShortcut(CPosition& p, const SmallText& t, const Legality& isLegal)
{
    if (!isRankDigit(t.text[2]) || !isFileLetter(t.text[1]))
        return NoMove;
    const Square target = squareFromText(t.text[1], t.text[2]);
    const int side = p.sideToMove;
    const PieceCode onTarget = p.board[target];
    std::uint8_t flags;
    if (!flagsOnto(p, target, flags))
        return NoMove;
    const char first = t.text[0];

    if (!isFileLetter(first)) {
        const PieceCode type = pieceTypeOfLetter(first);
        if (type == Empty)
            return NoMove;
        // The generator's tables, so that the first piece found is the first
        // in generation order.
        CMove found = NoMove;
        forPiecesReaching(p, type, target, [&](Square from) {
            CMove move(from, pieceOf(Colour(side), type), target, flags);
            if (!isLegal(move))
                return false;
            found = move;
            return true;
        });
        return found;
    }

    // A pawn capture names the neighbouring file it comes from.
    const int fromFile = first - 'a';
    const int diff = fromFile - fileOf(target);
    if (diff != 1 && diff != -1)
        return NoMove;
    const bool white = side == White;
    const int fromRank = rankOf(target) + (white ? -1 : 1);
    if (fromRank < 0 || fromRank > 7 || rankOf(target) == (white ? 7 : 0))
        return NoMove;
    const Square from = makeSquare(fromFile, fromRank);
    const PieceCode pawn = white ? WhitePawn : BlackPawn;
    if (p.board[from] != pawn)
        return NoMove;
    CMove move;
    if (onTarget != Empty)
        move = CMove(from, pawn, target, flags);
    else if (p.enPassant == target && p.enPassant != 0 && rankOf(target) == (white ? 5 : 2))
        move = CMove(from, pawn, target, white ? 204 : 196);
    else
        return NoMove;
    return isLegal(move) ? move : NoMove;
}

// A candidate destination parsed from the end of a normalised text: a move
// whose SAN matches ends with its destination, or with it and a promotion letter.
bool endsWithSquare(const SmallText& t, int end, Square& square)
{
    if (end < 2 || !isFileLetter(t.text[end - 2]) || !isRankDigit(t.text[end - 1]))
        return false;
    square = squareFromText(t.text[end - 2], t.text[end - 1]);
    return true;
}

} // namespace

std::string writeSan(
    CPosition& position, CMove move, bool withSuffix, const CMoveList* legalMoves, bool forceRank, bool forceFile)
{
    SmallText san = sanBody(position, move, legalMoves, forceRank, forceFile);
    if (withSuffix) {
        position.makeMove(move);
        if (position.isInCheck())
            san.add(position.countLegalMoves() == 0 ? '#' : '+');
        position.unmakeMove();
    }
    return san.str();
}

std::string normaliseSan(std::string_view text)
{
    return normalise(text.data(), text.size()).str();
}

CMove readSan(CPosition& position, std::string_view text, CheckStatus check)
{
    const SmallText wanted = normalise(text.data(), text.size());
    const Legality isLegal(position, check);
    if (wanted.length == 2 || wanted.length == 3) {
        CMove m = castlingShortcut(position, wanted, isLegal);
        if (m != NoMove)
            return m;
    }
    if (wanted.length == 2) {
        CMove m = pawnPushShortcut(position, wanted, isLegal);
        if (m != NoMove)
            return m;
    }
    if (wanted.length == 3) {
        CMove m = threeCharacterShortcut(position, wanted, isLegal);
        if (m != NoMove)
            return m;
    }
    if (wanted.length == 4) {
        CMove m = disambiguatedShortcut(position, wanted, isLegal);
        if (m != NoMove)
            return m;
    }

    // Exact matching. Only castling or a move to the square the text ends
    // with (before a promotion letter) can match, and only moves to the same
    // square count for disambiguation, so only those are generated.
    Square dest1 = NoSquare, dest2 = NoSquare;
    endsWithSquare(wanted, wanted.length, dest1);
    endsWithSquare(wanted, wanted.length - 1, dest2);
    CMoveList legal(CMoveList::Scratch);
    // Every text a castling move can match, but for its long forms (which
    // end with its destination), contains an 'o'.
    const bool mayCastle = std::memchr(wanted.text, 'o', size_t(wanted.length)) != nullptr;
    position.generateLegalMovesTo(dest1, dest2, mayCastle, legal);
    for (const CMove& m : legal) {
        if (normalise(sanBody(position, m, &legal, false, false)) == wanted)
            return m;
    }

    // Tolerant matching: piece-letter prefixes, forced disambiguation, long
    // forms and captured-piece letters.
    const int side = position.sideToMove;
    for (const CMove& m : legal) {
        const char mover = fenLetter(m.isPromotion() ? pieceOf(Colour(side), Pawn) : m.piece);
        for (int k = 0; k < 4; ++k) {
            SmallText prefix;
            if (k == 1 || k == 3)
                prefix.add(mover);
            if (k <= 1) {
                for (int variant = 0; variant < 3; ++variant) {
                    SmallText candidate = prefix;
                    SmallText san = sanBody(position, m, &legal, variant == 2, variant == 1);
                    for (int i = 0; i < san.length; ++i)
                        candidate.add(san.text[i]);
                    if (normalise(candidate) == wanted)
                        return m;
                }
            }
            SmallText longForm = prefix;
            longForm.addSquare(m.from);
            if ((k == 2 || k == 3) && m.isCapture())
                longForm.add(fenLetter(m.captured()));
            longForm.addSquare(m.to);
            if (normalise(longForm) == wanted)
                return m;
        }
    }
    return NoMove;
}

std::string writeCoordinate(CMove move)
{
    if (move == NullMove)
        return "null";
    SmallText out;
    out.addSquare(move.from);
    out.addSquare(move.to);
    if (move.isPromotion())
        out.add(move.piece < 15 ? CoordinateLetters[move.piece] : '?');
    return out.str();
}

void makeMoveText(CPosition& position, std::string_view text)
{
    CPosition& p = position;
    p.pushSnapshot();
    Square from = NoSquare, to = NoSquare;
    if (text.size() >= 4) {
        from = squareFromText(text[0], text[1]);
        to = squareFromText(text[2], text[3]);
    }
    // "null", and text that names no squares, only pass the turn.
    if (text == "null" || !onBoard(from) || !onBoard(to)) {
        p.enPassant = 0;
    } else {
        PieceCode piece = p.board[from];
        if (text.size() >= 5) {
            piece = codeFromFenLetter(text[4]);
            if (text[3] == '1' && isWhitePiece(piece))
                piece = PieceCode(piece + 8);
            else if (text[3] == '8' && isBlackPiece(piece) && piece != Empty)
                piece = PieceCode(piece - 8);
        }
        if (typeOf(piece) == Pawn && p.board[to] == Empty && fileOf(from) != fileOf(to)) {
            --p.pieceCount;
            const int behind = isWhitePiece(piece) ? to - 1 : to + 1;
            if (onBoard(behind))
                p.board[behind] = Empty;
        } else if (p.board[to] != Empty) {
            --p.pieceCount;
        }
        p.board[from] = Empty;
        p.board[to] = piece;
        if (typeOf(piece) == King && (to == from + 32 || from - to == 32)) {
            if (to == from + 32 && onBoard(to + 16)) {
                p.board[from + 16] = p.board[to + 16];
                p.board[to + 16] = Empty;
            } else if (from - to == 32 && to >= 32) {
                p.board[from - 16] = p.board[to - 32];
                p.board[to - 32] = Empty;
            }
        }
        p.updateEnPassantAndRights(from, to, piece);
    }
    p.sideNotToMove = p.sideToMove;
    p.sideToMove = std::uint8_t(1 - p.sideToMove);
}

} // namespace qm
