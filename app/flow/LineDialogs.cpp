// "Add line", "Select line" and deleting a line of the current game.
#include "app/flow/GameFlow.h"

#include "rules/Notation.h"

namespace qm {

namespace {

std::string numbered(const CGameNode& node)
{
    return std::to_string(node.moveNumber()) + (node.isBlackMove() ? ".." : ".");
}

} // namespace

std::string moveLineText(const CGameNode& node, int count)
{
    std::string text = numbered(node) + node.san + std::string(nagGlyphText(node));
    const CGameNode* n = &node;
    for (int written = 1; written < count && n->childCount() > 0; ++written) {
        n = n->child(0);
        text += ' ';
        if (!n->isBlackMove())
            text += numbered(*n);
        text += n->san;
        text += nagGlyphText(*n);
    }
    return text;
}

int CGameFlow::askNewLine(CMove move)
{
    const int ply = m_current->ply + 1;
    const std::string newMove = std::to_string((ply + 2) / 2) + ((ply & 1) ? ".." : ".") + writeSan(m_position, move);
    // "Change default to" starts at "Ask", and is back there whenever the
    // dialog fills again after a deletion; where the dialog only stays (a
    // declined replacement or deletion, no line chosen) it is as the user
    // left it.
    int defaultChoice = 0;
    for (;;) {
        std::vector<std::string> lines;
        for (const auto& child : m_current->children)
            lines.push_back(moveLineText(*child, 6));
        const ILineDialogUi::NewLineChoice choice = m_lines.newLine(lines, newMove, defaultChoice);
        defaultChoice = 0;
        int result = 0;
        switch (choice.button) {
        case ILineDialogUi::Button::ReplaceMainLine:
            if (m_current->childCount() == 0 || countNodes(*m_current->child(0)) < 3
                || m_dialogs.messageBox("Are you sure?", "Replace line", Buttons::OkCancel) == Answer::Ok)
                result = 2;
            else
                defaultChoice = choice.newDefault;
            break;
        case ILineDialogUi::Button::AddMainLine:
        case ILineDialogUi::Button::Ok:
        case ILineDialogUi::Button::Cancel:
            result = 1;
            break;
        case ILineDialogUi::Button::AddLine:
            result = 3;
            break;
        case ILineDialogUi::Button::DontAdd:
            result = 4;
            break;
        case ILineDialogUi::Button::DeleteSelected:
            if (choice.selected < 0 || choice.selected >= m_current->childCount())
                m_dialogs.messageBox("Select a line first!", "Delete line", Buttons::Ok);
            else if (deleteLine(m_current->child(choice.selected)) == 1)
                break;
            defaultChoice = choice.newDefault;
            break;
        }
        if (result != 0) {
            m_settings.variationMode = choice.newDefault >= 0 && choice.newDefault <= 3 ? choice.newDefault : 0;
            return result;
        }
    }
}

int CGameFlow::askLine()
{
    std::vector<std::string> lines;
    for (const auto& child : m_current->children)
        lines.push_back(moveLineText(*child, 4));
    const int chosen = m_lines.selectLine(lines);
    return chosen >= 0 && chosen < m_current->childCount() ? chosen : 0;
}

int CGameFlow::deleteLine(CGameNode* node)
{
    if (node == nullptr)
        return 0;
    if (countNodes(*node) > 2 && m_dialogs.messageBox("Are you sure?", "Delete line", Buttons::OkCancel) != Answer::Ok)
        return 0;
    CGameNode* parent = node->parent;
    if (parent == nullptr)
        return 0;
    // The current node must not be left inside the removed line.
    if (node == m_current) {
        takeBackOne(false);
    } else {
        for (const CGameNode* n = m_current; n != nullptr; n = n->parent)
            if (n == node) {
                goToNode(parent);
                break;
            }
    }
    if (parent->indexOf(node) == 0)
        m_game->setResult("*");
    deleteChild(*parent, node);
    m_game->markModified();
    setNavigationButtons();
    return 1;
}

} // namespace qm
