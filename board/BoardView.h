#pragma once
// CBoardView: the chess board in the main window's client area. Draws the
// squares, pieces, coordinate strips and marks (last-move arrow, legal-move
// dots, red selection frames) through the platform canvas, moves pieces with
// the off-screen sprite and the move animation, turns pen input into legal
// moves, and creates and draws the tool buttons of the layouts that have them.
//
// The view owns no chess state: it draws the position it is given (the
// game's current position, or the position editor's copy). Everything runs
// on the user-interface thread.

#include "app/settings/GeneralSettings.h"
#include "board/BoardLayout.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/Window.h"
#include "rules/Move.h"
#include "rules/Position.h"

#include <array>
#include <filesystem>
#include <map>
#include <memory>

namespace qm {

inline constexpr Square NoPick = 255;

// Timers of the main window the board uses.
inline constexpr int AnimationTimer = 102;
inline constexpr int ReplayTimer = 103;

// Commands of the view.
inline constexpr int FlipBoardCommand = 40014;
inline constexpr int ToggleLayoutCommand = 40015;
inline constexpr int FirstToolButton = 390;
inline constexpr int ToolButtonCount = 9;

// The colours of the marks.
inline constexpr Rgb MarkYellow = rgb(250, 250, 80);
inline constexpr Rgb FrameRed = rgb(255, 0, 0);

// What the board asks of the rest of the program. The defaults describe a
// program with no engine, no replay and no sound.
class IBoardClient {
public:
    virtual ~IBoardClient() = default;
    // The engine computes its own move (searching, neither pondering nor analysing).
    virtual bool engineBusy() const { return false; }
    virtual bool replayRunning() const { return false; }
    // Plays the sound of a move; NoMove is an illegal drag (the default sound).
    virtual void playMoveSound(CMove) { }
    // A complete legal move entered on the board; dragged when the piece was
    // dragged onto its square (it needs no animation).
    virtual void userMove(CMove, bool /*dragged*/) { }
    // Runs the promotion dialog for the side `colour` and returns the piece
    // code chosen; the queen when the dialog is closed.
    virtual PieceCode askPromotionPiece(Colour colour) { return pieceOf(colour, Queen); }
    // Bottom edge of the status area in client pixels.
    virtual int statusBottom() const { return 0; }
    // Layouts 3 and 10 show the move list: how many moves back from the
    // current node the list entry under the point is, or -1 for none.
    virtual int moveListStepsAt(Point) const { return -1; }
    // Goes back that many moves (a tap in the move list).
    virtual void takeBackPlies(int) { }
    // Opens the main window's context menu at the point (tap-and-hold).
    virtual void openContextMenu(Point) { }
    // Two-player mode: the engine-output lines are cleared when a move is entered.
    virtual void clearEngineOutput() { }
};

// A move shown by the piece sprite.
struct MoveAnimation {
    int startX = 0, startY = 0;
    int endX = 0, endY = 0;
    int deltaX = 0, deltaY = 0;
    int step = 0;
    int steps = 0;
    CMove move = NoMove;
    PieceCode piece = Empty;
    bool sound = false;
    bool arrow = false;
    int bounce = 0; // 0 one way, 1 out, 2 back
};

// Frames of one animation direction by distance in whole squares.
inline constexpr std::array<int, 13> AnimationFrames = {32, 32, 28, 24, 20, 16, 15, 15, 14, 13, 12, 12, 12};

// Frame count and timer interval of an animation over `distance` pixels on
// squares `squareWidth` wide, for the animation setting (1 slow, 2 medium,
// 3 fast, other values the plain table) or a there-and-back hint.
struct AnimationPace {
    int steps;
    int intervalMs;
};
AnimationPace animationPace(int distance, int squareWidth, int speedSetting, bool bounce);

// The polygon of the last-move arrow from one square centre to another:
// a shaft 0.18 square widths wide, a head with swept-back barbs whose tip is
// the `to` centre and a notched tail at the `from` centre.
std::array<Point, 8> arrowPolygon(Point from, Point to, int squareWidth);

class CBoardView {
public:
    CBoardView(IWindowHost& window, const CGeneralSettings& settings, IBoardClient& client);
    ~CBoardView();
    CBoardView(const CBoardView&) = delete;
    CBoardView& operator=(const CBoardView&) = delete;

    // ---- Graphics and configuration ----
    // Loads the five strips of the piece set, the texture and the icon
    // strips from `bitmapDir` (files named by resource number). Missing
    // files leave their bitmap empty: what needs it is not drawn. False when
    // anything was missing.
    bool loadGraphics(const std::filesystem::path& bitmapDir);
    // Set 0..5 (others count as 0); reloads the strips when graphics are loaded.
    void setPieceSet(int set);
    int pieceSet() const { return m_pieceSet; }
    int pieceStrip(int size) const { return m_pieceIds[std::size_t(size)]; }
    // The resource of a stored texture setting.
    static int textureIdOf(SquareTexture texture);
    // A texture resource id (137..167); reloads it when graphics are loaded.
    void setTexture(int id);
    int texture() const { return m_textureId; }
    void setFlipped(bool flipped) { m_flipped = flipped; }
    bool flipped() const { return m_flipped; }
    // The position the game shows; the last-move arrow is drawn only on it.
    void setGamePosition(CPosition* position) { m_position = position; }
    CPosition* gamePosition() const { return m_position; }
    // The main window's client rectangle, refreshed before each paint.
    void setClientRect(const Rect& r) { m_clientRect = r; }
    const Rect& clientRect() const { return m_clientRect; }

    // ---- Layout ----
    // Takes the first row from `start` upwards (wrapping) that fits the
    // window's screen in `mode` (0 playing, 1 position editor); keeps
    // `start` when none fits.
    void selectLayout(int start, int mode);
    // After a change of the window's size (turning the device): the row of
    // the new screen, from the current one, in mode 0; the tool buttons again.
    void fitToScreen();
    int layoutIndex() const { return m_layoutIndex; }
    const BoardLayout& layout() const { return m_layout; }

    // ---- Geometry ----
    Rect squareRect(Square square) const;
    // The square under a client point, or 255.
    Square squareFromPoint(int x, int y) const;
    // Top-left corner of the squares in client pixels.
    Point boardOrigin() const { return {m_clientRect.left + m_layout.boardX, m_clientRect.top + m_layout.boardY}; }

    // ---- Painting ----
    // Draws the squares of `position` whose rectangles (placed from the
    // area's top-left corner) meet `clip`, leaving out the piece on `hidden`,
    // then the arrow (on the game's position only) and the selection frames.
    void paintBoard(CCanvas& dc, const Rect& area, int squareWidth, int squareHeight, const CPosition& position,
        Square hidden, bool flipped, const Rect& clip);
    // The board as the main window's paint handler draws it.
    void paint(CCanvas& dc, const Rect& dirty);
    void paintCoordinates(CCanvas& dc);
    void invalidateSquare(Square square);
    void redrawSquare(CCanvas& dc, Square square);
    // redrawSquare straight onto the window.
    void redrawSquareNow(Square square);
    // One piece of the current set at the layout's piece size, transparent.
    void drawPieceAt(CCanvas& dc, Point at, PieceCode piece) { drawPiece(dc, at, piece); }

    // ---- Marks ----
    Square pickedFrom() const { return m_pickedFrom; }
    Square pickedTo() const { return m_pickedTo; }
    void setPicks(Square from, Square to);
    void clearSelection();
    CMove lastMoveArrow() const { return m_arrow; }
    void setLastMoveArrow(CMove move);
    void clearLastMoveArrow();
    bool dotsShown() const { return m_dotsShown; }
    bool dotMark(Square square) const { return onBoard(square) && m_dots[square]; }
    void showLegalMoveDots(Square square);
    // Removes all dots; the mark of `keep` (or none for 255) stays.
    void clearLegalMoveDots(Square keep);

    // ---- Moves shown by the game flow ----
    void showMove(CMove move, bool animate, bool sound, bool arrow);
    void showTakeback(CMove move);

    // ---- Tool buttons and commands ----
    void createToolbarButtons();
    void drawToolbarButton(int id, CCanvas& dc, bool pressed);
    void flipBoard();
    void toggleLayout();

    // ---- Piece sprite and move animation ----
    bool spriteActive() const { return m_spriteActive; }
    PieceCode spritePiece() const { return m_spritePiece; }
    Square spriteStart() const { return m_spriteStart; }
    bool animating() const { return m_animation != nullptr; }
    const MoveAnimation* animation() const { return m_animation.get(); }
    void beginSprite(PieceCode piece, int x, int y);
    void moveSprite(PieceCode piece, int x, int y);
    void dropSprite(PieceCode piece, int x, int y);
    void endSprite(PieceCode piece, int x, int y);
    void animateMove(CMove move, bool sound, bool bounce, bool arrow);
    // Puts a piece the user holds back where it was lifted. The game flow
    // calls it before the position changes under the pen (a key, the
    // engine), since the sprite's background shows the old position.
    void cancelDrag();
    void animationTick();

    // ---- Pen input ----
    void onPenDown(int x, int y);
    void onPenMove(int x, int y);
    void onPenUp(int x, int y);
    // Tap-and-hold: the context menu outside the board and above the status area's bottom.
    void onHold(int x, int y);
    Point contextMenuPoint() const { return m_contextPoint; }

private:
    void drawSquare(CCanvas& dc, const Rect& r, Square square, const CPosition& position, Square hidden);
    void drawPiece(CCanvas& dc, Point at, PieceCode piece);
    void drawTexture(CCanvas& dc, const Rect& r, bool dark);
    void drawArrow(CCanvas& dc, const Rect& area, int squareWidth, int squareHeight, bool flipped);
    void drawFrame(CCanvas& dc, const Rect& r);
    Rect squareRectIn(const Rect& area, int squareWidth, int squareHeight, Square square, bool flipped) const;
    void invalidateMoveSquares(CMove move);
    void invalidateExtraSquares(CMove move);
    void releaseSprite();
    void finishSprite();
    void startReplayTimerIfRunning();
    void repick(Square from, Square to, bool redrawNow);
    void loadPieceStrips();
    void loadTexture();
    const CBitmap* coordinateStrip(int id);

    IWindowHost& m_window;
    const CGeneralSettings& m_settings;
    IBoardClient& m_client;
    std::filesystem::path m_bitmapDir;
    bool m_graphicsLoaded = false;

    int m_layoutIndex = 0;
    BoardLayout m_layout;
    bool m_flipped = false;
    int m_pieceSet = 0;
    std::array<int, 5> m_pieceIds{};
    int m_textureId = 137;
    Rect m_clientRect;
    CPosition* m_position = nullptr;

    Square m_pickedFrom = NoPick;
    Square m_pickedTo = NoPick;
    bool m_dotsShown = false;
    std::array<bool, 128> m_dots{};
    CMove m_arrow = NoMove;
    Point m_contextPoint;

    std::array<CBitmap, 5> m_strips;
    CBitmap m_texture;
    CBitmap m_smallIcons, m_largeIcons;
    std::map<int, CBitmap> m_coordinateStrips; // loaded on first use

    bool m_spriteActive = false;
    PieceCode m_spritePiece = Empty;
    Square m_spriteStart = NoSquare;
    std::unique_ptr<CMemoryCanvas> m_background;
    Point m_previous;
    bool m_spriteBusy = false;
    std::unique_ptr<MoveAnimation> m_animation;
};

} // namespace qm
