#pragma once
// The content of the promotion dialog ("Promotion", "Select piece to
// promote"): queen, rook, bishop and knight of the side to move in one
// centred row, at the piece size of the current layout. The window layer runs
// it modally; this class paints it and turns a pen-up into the piece chosen.

#include "board/BoardView.h"

namespace qm {

inline constexpr int PromotionDialogId = 126;
// Where the dialog is moved on the screen when it opens.
inline constexpr Point PromotionDialogPosition{43, 93};

class CPromotionDialog {
public:
    // `client` is the dialog's client rectangle.
    CPromotionDialog(CBoardView& view, Colour side, const Rect& client);

    // The row of pieces: left edge, top edge, one square per piece.
    Rect pieceRow() const;
    void paint(CCanvas& dc);
    // The piece under a pen-up, or Empty when the point is off the row
    // (its right edge included: that is no piece).
    PieceCode pieceAt(int x, int y) const;
    // OK, Cancel or closing: the queen.
    PieceCode closedChoice() const { return pieceOf(m_side, Queen); }

private:
    CBoardView& m_view;
    Colour m_side;
    Rect m_client;
};

} // namespace qm
