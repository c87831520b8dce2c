#include "app/shell/CommandTable.h"

#include "app/shell/Commands.h"

namespace qm {

CCommandTable::CCommandTable()
{
    static const struct {
        int id;
        const char* feature;
    } ids[] = {
        {cmd::NewGame, "NewGame"},
        {cmd::GameDetails, "GameDetails"},
        {cmd::GameMoves, "GameMoves"},
        {cmd::LoadGame, "LoadGame"},
        {cmd::SaveGame, "SaveGame"},
        {cmd::ReplaceGame, "ReplaceGame"},
        {cmd::SelectDatabase, "SelectDatabase"},
        {cmd::SelectBook, "SelectBook"},
        {cmd::Exit, "Exit"},
        {cmd::Levels, "Levels"},
        {cmd::Options, "Options"},
        {cmd::SetupBoard, "SetupBoard"},
        {cmd::NextGame, "NextGame"},
        {cmd::PreviousGame, "PreviousGame"},
        {cmd::CommentMove, "CommentMove"},
        {cmd::ReplayMoves, "ReplayMoves"},
        {cmd::ClearHashtables, "ClearHashtables"},
        {cmd::Help, "Help"},
        {cmd::About, "About"},
        {cmd::Hint, "Hint"},
        {cmd::ShowThreat, "ShowThreat"},
        {cmd::Training, "Training"},
        {cmd::BackToStart, "BackToStart"},
        {cmd::ForwardToEnd, "ForwardToEnd"},
        {cmd::TakeBack, "TakeBack"},
        {cmd::Forward, "Forward"},
        {cmd::MoveNow, "MoveNow"},
        {cmd::AnalyzeMode, "AnalyzeMode"},
        {cmd::ToggleLayout, "ToggleLayout"},
        {cmd::FlipBoard, "FlipBoard"},
        {cmd::TakeBackTen, "TakeBackTen"},
        {cmd::ForwardTen, "ForwardTen"},
    };
    for (const auto& i : ids)
        m_entries.push_back({i.id, std::string("notBuiltYet") + i.feature, [] {}});
}

const CCommandTable::Entry* CCommandTable::find(int id) const
{
    for (const Entry& e : m_entries)
        if (e.id == id)
            return &e;
    return nullptr;
}

bool CCommandTable::dispatch(int id) const
{
    const Entry* e = find(id);
    if (!e)
        return false;
    if (e->handler)
        e->handler();
    return true;
}

bool CCommandTable::wire(int id, std::string_view handlerName, std::function<void()> handler)
{
    for (Entry& e : m_entries)
        if (e.id == id) {
            e.handlerName = handlerName;
            e.handler = std::move(handler);
            return true;
        }
    return false;
}

} // namespace qm
