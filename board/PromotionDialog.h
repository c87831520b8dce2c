#pragma once
// The promotion dialog (resource 126, "Promotion", "Select piece to
// promote"): queen, rook, bishop and knight of the side to move in one
// centred row, at the piece size of the current layout. The platform runs it
// modally (IDialogs::canvasDialog); this class paints it and turns a pen-up
// into the piece chosen.

#include "board/BoardView.h"
#include "platform/Dialogs.h"

namespace qm {

inline constexpr int PromotionDialogId = 126;
// Where the dialog is moved on the screen when it opens.
inline constexpr Point PromotionDialogPosition{43, 93};
inline constexpr const char* PromotionHelpAnchor = "Promotion";

class CPromotionDialog final : public ICanvasDialogContent {
public:
    // `client` is the dialog's client rectangle.
    CPromotionDialog(CBoardView& view, Colour side, const Rect& client);

    // The dialog template's client size for a layout: 160 x 100, twice that
    // on the screens of twice the size (squares of 48 and 60 pixels).
    static Size clientSizeFor(const BoardLayout& layout);
    // The dialog as the platform opens it.
    static CanvasDialog dialogFor(const BoardLayout& layout);

    // The row of pieces: left edge, top edge, one square per piece.
    Rect pieceRow() const;
    void paint(CCanvas& dc) override;
    // The piece under a pen-up, or Empty when the point is off the row
    // (its right edge included: that is no piece).
    PieceCode pieceAt(int x, int y) const;
    // A pen-up on a piece chooses it and ends the dialog.
    bool penUp(Point p) override;
    // "Queen", "Rook", "Bishop", "Knight": the centre of that piece.
    bool itemPoint(std::string_view item, Point& out) const override;
    // OK, Cancel or closing: the queen.
    PieceCode closedChoice() const { return pieceOf(m_side, Queen); }
    // The piece chosen, or the queen when none was.
    PieceCode chosen() const { return m_chosen == Empty ? closedChoice() : m_chosen; }

private:
    CBoardView& m_view;
    Colour m_side;
    Rect m_client;
    PieceCode m_chosen = Empty;
};

} // namespace qm
