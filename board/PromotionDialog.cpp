#include "board/PromotionDialog.h"

namespace qm {

namespace {

constexpr PieceCode Choices[4] = {Queen, Rook, Bishop, Knight};

} // namespace

CPromotionDialog::CPromotionDialog(CBoardView& view, Colour side, const Rect& client)
    : m_view(view)
    , m_side(side)
    , m_client(client)
{
}

Rect CPromotionDialog::pieceRow() const
{
    const BoardLayout& l = m_view.layout();
    const int x0 = (m_client.width() - 4 * l.squareWidth) / 2;
    const int y0 = m_client.top + l.squareHeight + 10;
    return Rect::fromSize(x0, y0, 4 * l.squareWidth, l.squareHeight);
}

void CPromotionDialog::paint(CCanvas& dc)
{
    const Rect row = pieceRow();
    for (int i = 0; i < 4; ++i)
        m_view.drawPieceAt(dc, {row.left + i * m_view.layout().squareWidth, row.top}, pieceOf(m_side, Choices[i]));
}

PieceCode CPromotionDialog::pieceAt(int x, int y) const
{
    const Rect row = pieceRow();
    const int w = m_view.layout().squareWidth;
    if (w <= 0 || x < row.left || x > row.right || y < row.top || y > row.bottom)
        return Empty;
    const int column = (x - row.left) / w;
    return column < 4 ? pieceOf(m_side, Choices[column]) : PieceCode(Empty);
}

} // namespace qm
