#include "rules/Notation.h"
#include "rules/Position.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace qm;

namespace {

Square at(const char* text)
{
    return squareFromText(text[0], text[1]);
}

std::string coordinateOrNoMove(CMove m)
{
    return m == NoMove ? "NoMove" : writeCoordinate(m);
}

} // namespace

TEST(Notation, Normalise)
{
    struct Case {
        const char* text;
        const char* normalised;
    } cases[] = {
        {"Nf3+", "nf3"},
        {"exd6 e.p.", "ed6 e.p."},
        {"exd6ep", "ed6"},
        {"O-O-O", "ooo"},
        {"0-0-0", "ooo"},
        {"e8=Q!", "e8q"},
        {"Bxc6", "Bc6"},
        {"bxc6", "bc6"},
        {"NXf3", "nxf3"},
        {"Qh4#", "qh4"},
        {"Nf3!?", "nf3"},
        {"ep", "ep"},
        {"Kep", "kep"},
        {"a1b2c3d4e5f6g7h8a1b2c3", "a1b2c3d4e5f6g7h8a1b"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(normaliseSan(c.text), c.normalised) << c.text;
}

TEST(Notation, ReadSan)
{
    struct Case {
        const char* fen;
        const char* text;
        const char* expected; // coordinate text or NoMove
    } cases[] = {
        // The start position: pushes, knight forms, long forms.
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "e4", "e2e4"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "e3", "e2e3"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "Nc3", "b1c3"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "N1c3", "b1c3"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "Nbc3", "b1c3"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "b1c3", "b1c3"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "Nb1c3", "b1c3"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "Ng1-f3", "g1f3"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "Pe4", "e2e4"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "nf3", "g1f3"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "Nf3!?", "g1f3"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "e7e5", "NoMove"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "e5", "NoMove"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "Nd2", "NoMove"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "", "NoMove"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "O-O", "NoMove"},
        // Two knights reach d2: under-disambiguated takes the first in
        // table order from d2 (f3), or the other when f3 is pinned.
        {"4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "Nd2", "f3d2"}, {"4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "Nbd2", "b1d2"},
        {"4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "Nfd2", "f3d2"}, {"4k3/8/8/7b/8/5N2/8/1N1K4 w - - 0 1", "Nd2", "b1d2"},
        // Promotions: the long form gives the queen, '=N' the knight.
        {"7k/4P3/8/8/8/8/8/K7 w - - 0 1", "e7e8", "e7e8q"}, {"7k/4P3/8/8/8/8/8/K7 w - - 0 1", "e8=N", "e7e8n"},
        {"7k/4P3/8/8/8/8/8/K7 w - - 0 1", "e8N", "e7e8n"},
        {"7k/4P3/8/8/8/8/8/K7 w - - 0 1", "e8", "NoMove"}, // a promotion needs its piece
        {"7k/4P3/8/8/8/8/8/K7 w - - 0 1", "e7e8q", "NoMove"}, {"6rk/5P2/8/8/8/8/8/K7 w - - 0 1", "fxg8=Q", "f7g8q"},
        {"6rk/5P2/8/8/8/8/8/K7 w - - 0 1", "fg8", "NoMove"}, {"6rk/5P2/8/8/8/8/8/K7 w - - 0 1", "fg8Q", "f7g8q"},
        // En passant, with its tolerated spellings.
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2", "exd6", "e5d6"}, {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2", "exd6ep", "e5d6"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2", "ed6", "e5d6"}, {"4k3/8/8/3pP3/8/8/8/4K3 w - - 0 2", "exd6", "NoMove"},
        // Castling with letters or digits, with check marks.
        {"4k3/8/8/8/8/8/8/4K2R w K - 0 1", "O-O", "e1g1"}, {"4k3/8/8/8/8/8/8/4K2R w K - 0 1", "0-0", "e1g1"},
        {"4k3/8/8/8/8/8/8/4K2R w K - 0 1", "O-O+", "e1g1"}, {"r3k3/8/8/8/8/8/8/4K3 b q - 0 1", "0-0-0", "e8c8"},
        {"r3k3/8/8/8/8/8/8/4K3 b q - 0 1", "O-O", "NoMove"},
        // Captured-piece forms.
        {"r1bqkbnr/pppp1ppp/2n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 3 3", "Bb5xNc6", "b5c6"},
        {"r1bqkbnr/pppp1ppp/2n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 3 3", "Bxc6", "b5c6"},
        {"r1bqkbnr/pppp1ppp/2n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 3 3", "BxNc6", "NoMove"},
        {"r1bqkbnr/pppp1ppp/2n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 3 3", "Nxe5", "f3e5"},
        // Shortcut texts that name no legal move fall through to matching.
        {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", "e8", "NoMove"}, // push onto the last rank, no pawn
        {"4k3/8/8/8/8/8/3P4/3QK3 w - - 0 1", "ed3", "NoMove"}, // pawn capture of an own... no pawn
        {"4k3/8/8/8/8/8/3PQ3/4K3 w - - 0 1", "de3", "NoMove"}, // capture of an own piece
        {"4k3/8/8/8/8/8/3P4/4K3 w - - 0 1", "de3", "NoMove"}, // en passant onto a non-ep square
        {"4k3/8/8/8/8/8/3P4/4K3 w - - 0 1", "ae3", "NoMove"}, // a file that is no neighbour
        {"4k3/8/8/8/1b6/8/3P4/4K3 w - - 0 1", "d3", "NoMove"}, // pinned pawn
        {"4k3/8/8/8/1b6/8/3P4/4K3 w - - 0 1", "d4", "NoMove"},
        {"4k3/8/8/8/1b6/8/3N4/4K3 w - - 0 1", "Nf3", "NoMove"}, // pinned knight
        {"4k3/8/8/8/8/8/8/3RK3 w - - 0 1", "Rd1", "NoMove"}, // onto an own piece... no move
        {"4k3/8/8/8/8/8/8/3RK3 w - - 0 1", "Ke1", "NoMove"},
        {"4k3/8/8/8/8/8/8/3RK3 w - - 0 1", "q3", "NoMove"}, // not a file letter
        {"3k4/4P3/8/8/8/8/8/4K3 w - - 0 1", "e8", "NoMove"}, // promotion square occupied
    };
    for (const auto& c : cases) {
        CPosition p;
        p.setFromFen(c.fen);
        const std::string before = p.writeFen();
        EXPECT_EQ(coordinateOrNoMove(readSan(p, c.text)), c.expected) << c.fen << " / " << c.text;
        EXPECT_EQ(p.writeFen(), before);
        EXPECT_EQ(p.historyCount(), 0);
    }
}

TEST(Notation, WriteSan)
{
    struct Case {
        const char* fen;
        const char* move; // coordinate text
        const char* san;
    } cases[] = {
        {"4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "b1d2", "Nbd2"},
        {"4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "f3d2", "Nfd2"},
        {"4k3/8/8/7b/8/5N2/8/1N1K4 w - - 0 1", "b1d2", "Nd2"}, // the pinned knight does not count
        {"4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", "a1a3", "R1a3"},
        {"4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", "a5a3", "R5a3"},
        {"4k3/8/8/R7/8/2R5/8/R3K3 w - - 0 1", "a1a3", "Ra1a3"},
        {"4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "e4d5", "exd5"},
        {"3r4/4Pk2/8/8/8/8/8/4K3 w - - 0 1", "e7d8n", "exd8=N+"},
        {"7k/4P3/8/8/8/8/8/K7 w - - 0 1", "e7e8q", "e8=Q+"},
        {"6rk/5Ppp/8/3B4/8/8/8/K7 w - - 0 1", "f7g8q", "fxg8=Q#"},
        {"5k2/8/8/8/8/8/8/4K2R w K - 0 1", "e1g1", "O-O+"},
        {"3k4/8/8/8/8/8/8/R3K3 w Q - 0 1", "e1c1", "O-O-O+"},
        {"k7/7R/8/8/8/8/8/4K2R w K - 0 1", "e1g1", "O-O"},
        {"3k4/1R6/8/8/8/8/8/4K2R w K - 0 1", "h1h8", "Rh8#"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2", "e5d6", "exd6"},
        {"4k3/8/8/8/8/8/4K3/8 w - - 0 1", "e2d3", "Kd3"},
    };
    for (const auto& c : cases) {
        CPosition p;
        p.setFromFen(c.fen);
        const std::string t = c.move;
        CMove m = p.findMove(at(t.c_str()), at(t.c_str() + 2),
            t.size() > 4 ? pieceOf(Colour(p.sideToMove), typeOf(codeFromFenLetter(char(t[4] - 32)))) : 0);
        ASSERT_NE(m, NoMove) << c.fen << " " << c.move;
        EXPECT_EQ(writeSan(p, m, true), c.san) << c.fen;
        EXPECT_EQ(readSan(p, c.san), m) << c.san;
        EXPECT_EQ(p.historyCount(), 0);
    }
}

TEST(Notation, ForcedDisambiguation)
{
    CPosition p;
    CMove m = p.findMove(sq::g1, at("f3"), 0);
    EXPECT_EQ(writeSan(p, m, false, nullptr, false, true), "Ngf3");
    EXPECT_EQ(writeSan(p, m, false, nullptr, true, false), "N1f3");
    EXPECT_EQ(writeSan(p, m, false, nullptr, true, true), "Ng1f3");
}

TEST(Notation, Coordinates)
{
    EXPECT_EQ(writeCoordinate(CMove(at("b2"), BlackKnight, sq::a1, 16 + 128 + WhiteRook)), "b2a1n");
    EXPECT_EQ(writeCoordinate(CMove(at("e2"), WhitePawn, at("e4"), 7)), "e2e4");
    EXPECT_EQ(writeCoordinate(NullMove), "null");
}

TEST(Notation, MakeMoveText)
{
    struct Case {
        const char* fen;
        const char* text;
        const char* after;
    } cases[] = {
        {"7k/4P3/8/8/8/8/8/K7 w - - 3 1", "e7e8Q", "4Q2k/8/8/8/8/8/8/K7 b - - 4 1"},
        {"7k/4P3/8/8/8/8/8/K7 w - - 3 1", "e7e8q", "4Q2k/8/8/8/8/8/8/K7 b - - 4 1"},
        {"k7/8/8/8/8/8/1p6/K7 b - - 0 1", "b2b1N", "k7/8/8/8/8/8/8/Kn6 w - - 1 2"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2", "e5d6", "4k3/8/3P4/8/8/8/8/4K3 b - - 1 2"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1g1", "r3k2r/8/8/8/8/8/8/R4RK1 b kq - 1 1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8c8", "2kr3r/8/8/8/8/8/8/R3K2R w KQ - 1 2"},
        {"rnbqkbnr/pppp1ppp/8/8/4p3/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "d2d4",
            "rnbqkbnr/pppp1ppp/8/8/3Pp3/8/PPP1PPPP/RNBQKBNR b KQkq d3 1 1"},
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", "null", "4k3/8/8/8/8/8/8/4K3 b - - 1 1"},
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", "e1", "4k3/8/8/8/8/8/8/4K3 b - - 1 1"},
    };
    for (const auto& c : cases) {
        CPosition p;
        p.setFromFen(c.fen);
        makeMoveText(p, c.text);
        EXPECT_EQ(p.writeFen(), c.after) << c.text;
        EXPECT_EQ(p.lastMove(), NullMove);
    }
}

// Random games: every legal move's SAN reads back as that move, in every
// form the reader tolerates; random texts never give an illegal move.
TEST(Notation, RandomGamesRoundTrip)
{
    std::mt19937 rng(12345);
    const char alphabet[] = "abcdefgh12345678NBRQKOo0x+#=-!?pe";
    for (int game = 0; game < 60; ++game) {
        CPosition p;
        for (int ply = 0; ply < 150; ++ply) {
            CMoveList legal;
            p.generateLegalMoves(legal);
            if (legal.empty())
                break;
            for (const CMove& m : legal) {
                const std::string san = writeSan(p, m, true);
                ASSERT_EQ(readSan(p, san), m) << p.writeFen() << " " << san;
                if (!m.isPromotion() && !m.isCastling()) {
                    ASSERT_EQ(readSan(p, writeCoordinate(m)), m) << p.writeFen();
                }
            }
            for (int k = 0; k < 20; ++k) {
                std::string text;
                int len = 1 + int(rng() % 6);
                for (int i = 0; i < len; ++i)
                    text += alphabet[rng() % (sizeof alphabet - 1)];
                CMove m = readSan(p, text);
                if (m == NoMove)
                    continue;
                bool found = false;
                for (const CMove& l : legal)
                    found = found || l == m;
                ASSERT_TRUE(found) << p.writeFen() << " '" << text << "'";
            }
            p.makeMove(legal[int(rng() % unsigned(legal.count))]);
        }
    }
}
