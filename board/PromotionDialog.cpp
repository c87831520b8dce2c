#include "board/PromotionDialog.h"

namespace qm {

namespace {

constexpr PieceCode Choices[4] = {Queen, Rook, Bishop, Knight};
constexpr const char* ChoiceNames[4] = {"Queen", "Rook", "Bishop", "Knight"};

} // namespace

CPromotionDialog::CPromotionDialog(CBoardView& view, Colour side, const Rect& client)
    : m_view(view)
    , m_side(side)
    , m_client(client)
{
}

Size CPromotionDialog::clientSizeFor(const BoardLayout& layout)
{
    const int factor = layout.squareWidth > 30 ? 2 : 1;
    return {160 * factor, 100 * factor};
}

CanvasDialog CPromotionDialog::dialogFor(const BoardLayout& layout)
{
    return {std::to_string(PromotionDialogId), "Promotion", PromotionHelpAnchor, PromotionDialogPosition,
        clientSizeFor(layout)};
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
    const BoardLayout& l = m_view.layout();
    const Rect row = pieceRow();
    // The static text stands in the space above the row.
    dc.setFont(Font{l.squareWidth > 30 ? 24 : 12, false});
    dc.setTextColour(RgbBlack);
    dc.drawText(Rect{m_client.left, m_client.top + 4, m_client.right, row.top - 4}, "Select piece to promote",
        AlignHCenter | AlignVCenter);
    for (int i = 0; i < 4; ++i)
        m_view.drawPieceAt(dc, {row.left + i * l.squareWidth, row.top}, pieceOf(m_side, Choices[i]));
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

bool CPromotionDialog::penUp(Point p)
{
    const PieceCode piece = pieceAt(p.x, p.y);
    if (piece == Empty)
        return false;
    m_chosen = piece;
    return true;
}

bool CPromotionDialog::itemPoint(std::string_view item, Point& out) const
{
    const Rect row = pieceRow();
    const int w = m_view.layout().squareWidth;
    for (int i = 0; i < 4; ++i)
        if (item == ChoiceNames[i]) {
            out = {row.left + i * w + w / 2, row.top + row.height() / 2};
            return true;
        }
    return false;
}

} // namespace qm
