#pragma once
// CPgnReader: reads games from PGN text (the PGN standard's import format,
// with common deviations tolerated) in an open stream, one game at a time,
// starting at a byte offset, and reports where the next game starts.
//
// Any bytes give a game, a failed game or the end of input. A failed game
// still reports where the next game starts, so one broken game never takes
// the games after it down. Game boundaries are the same for readGame and
// scanGame: a game runs to the next '[' outside comments that follows its
// movetext (or to the end of input).

#include "game/Game.h"
#include "rules/Position.h"

#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <vector>

namespace qm {

enum PgnTokenKind : int {
    TokUnknown = 0,
    TokString = 1,
    TokInt = 2,
    TokPeriod = 3,
    TokAsterisk = 4,
    TokLeftBracket = 5,
    TokRightBracket = 6,
    TokLeftBrace = 7,
    TokRightBrace = 8,
    TokComment = 9,
    TokLeftParenthesis = 10,
    TokRightParenthesis = 11,
    TokLeftAngle = 12,
    TokRightAngle = 13,
    TokNag = 14,
    TokSymbol = 15,
};

struct CPgnToken {
    int kind = TokUnknown;
    std::string raw;     // characters consumed for the token (tag section only)
    std::string value;   // STRING content, COMMENT text, SYMBOL text
    std::int32_t number = 0;   // INT and NAG value
    std::int64_t offset = 0;   // stream offset of the token's first character
};

// Common base of game readers: both operations fail with no game.
class CGameReaderBase {
public:
    virtual ~CGameReaderBase() = default;
    virtual bool readGame(std::istream& stream, std::int64_t startOffset, std::int64_t& nextOffset,
                          std::unique_ptr<CGame>& game);
    virtual bool scanGame(std::istream& stream, std::int64_t startOffset, std::int64_t& nextOffset,
                          std::unique_ptr<CGame>& game);
};

class CPgnReader : public CGameReaderBase {
public:
    // Variations nest at most this deep; deeper nesting fails the game.
    static constexpr int MaxVariationDepth = 128;
    // A game with more move nodes than this fails (bounds memory per game).
    static constexpr int MaxNodes = 1'000'000;

    CPgnReader();
    ~CPgnReader() override;

    // Reads one complete game from startOffset: tags, moves checked against
    // the rules, variations, comments and glyphs. On success game is a new
    // game owned by the caller. On failure game is empty. In both cases
    // nextOffset is where the next game starts (the offset of its '[' or
    // the end of input) and is beyond startOffset unless the input ended;
    // endOfInput() tells a failure that found no token at all.
    bool readGame(std::istream& stream, std::int64_t startOffset, std::int64_t& nextOffset,
                  std::unique_ptr<CGame>& game) override;
    // Reads only the tag section from startOffset into a new game without
    // moves and skips the movetext; nextOffset as for readGame. Fails only
    // when no token at all can be read.
    bool scanGame(std::istream& stream, std::int64_t startOffset, std::int64_t& nextOffset,
                  std::unique_ptr<CGame>& game) override;

    // True when the last call failed because nothing but blanks (or
    // characters that start no token) stood between its offset and the end.
    bool endOfInput() const { return m_endOfInput; }
    // Why the last readGame failed, for messages; "" after a success.
    const std::string& failure() const { return m_failure; }

    // The reader keeps the bytes it has read ahead and reuses them when the
    // same stream, still at the position the reader left it, is passed
    // again. Call this after the file behind a stream was changed by other
    // means.
    void discardBuffer();

private:
    // The common start of both: positions the reader and reads the tag
    // section into a new game; false with endOfInput and the failure set
    // when there is nothing to read.
    bool beginGame(std::istream& stream, std::int64_t startOffset, std::int64_t& nextOffset,
                   std::unique_ptr<CGame>& game);

    struct Impl;
    std::unique_ptr<Impl> m_impl;
    bool m_endOfInput = false;
    std::string m_failure;
};

} // namespace qm
