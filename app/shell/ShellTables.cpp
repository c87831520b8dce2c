#include "app/shell/ShellTables.h"

#include "app/shell/Commands.h"

namespace qm {

const std::vector<Menu>& menuBarMenus()
{
    static const std::vector<Menu> menus = {
        {"File", "File menu",
         {{"New game", cmd::NewGame},
          {"Game details...", cmd::GameDetails},
          {"Game moves...", cmd::GameMoves},
          {},
          {"Load game...", cmd::LoadGame},
          {"Save game...", cmd::SaveGame},
          {"Replace game...", cmd::ReplaceGame},
          {},
          {"Select database...", cmd::SelectDatabase},
          {"Select book...", cmd::SelectBook},
          {},
          {"Exit", cmd::Exit}}},
        {"Tools", "Tools menu",
         {{"Levels...", cmd::Levels},
          {"Options...", cmd::Options},
          {"Setup board...", cmd::SetupBoard},
          {"Next game", cmd::NextGame},
          {"Previous game", cmd::PreviousGame},
          {},
          {"Comment move...", cmd::CommentMove},
          {"Replay moves", cmd::ReplayMoves},
          {"Clear hashtables", cmd::ClearHashtables}}},
        {"?", "Help menu",
         {{"Help...", cmd::Help},
          {"About...", cmd::About},
          {},
          {"Hint", cmd::Hint},
          {"Show threat", cmd::ShowThreat},
          {},
          {"Training", cmd::Training}}},
    };
    return menus;
}

const Menu& popupMenu()
{
    static const Menu popup = {"Popup", "",
                               {{"New game", cmd::NewGame},
                                {"Load game...", cmd::LoadGame},
                                {"Next game", cmd::NextGame},
                                {"Previous game", cmd::PreviousGame},
                                {},
                                {"Levels...", cmd::Levels},
                                {"Options...", cmd::Options},
                                {},
                                {"Comment move...", cmd::CommentMove},
                                {"Replay moves", cmd::ReplayMoves},
                                {"Back to start", cmd::BackToStart},
                                {"Forward to end", cmd::ForwardToEnd}}};
    return popup;
}

const std::vector<BarButton>& menuBarButtons()
{
    static const std::vector<BarButton> buttons = {
        {cmd::TakeBack, "Take back move", 0, false},   {cmd::GameMoves, "Show game moves", 1, false},
        {cmd::Forward, "Next move", 2, false},         {cmd::MoveNow, "Move now!", 3, false},
        {cmd::Hint, "Show hint move", 4, false},       {cmd::AnalyzeMode, "Start analyze mode", 5, true},
        {cmd::ToggleLayout, "Toggle layout", 6, true}, {cmd::FlipBoard, "Flip board", 7, true},
    };
    return buttons;
}

Menu popupMenuShown(bool replayRunning)
{
    Menu menu = popupMenu();
    for (MenuItem& item : menu.items)
        if (item.id == cmd::ReplayMoves)
            item.checked = replayRunning;
    return menu;
}

const std::vector<ToolButtonDef>& toolButtonDefs()
{
    static const std::vector<ToolButtonDef> defs = {
        {390, "New game", cmd::NewGame},
        {391, "Setup position", cmd::SetupBoard},
        {392, "Load game", cmd::LoadGame},
        {393, "Save game", cmd::SaveGame},
        {394, "Options", cmd::Options},
        {395, "Level", cmd::Levels},
        {396, "Start replay", cmd::ReplayMoves},
        {397, "Take back 10 moves", cmd::TakeBackTen},
        {398, "Play next 10 moves", cmd::ForwardTen},
    };
    return defs;
}

std::optional<int> acceleratorCommand(Key key)
{
    if (key.code == Key::Letter) {
        if (!key.ctrl)
            return std::nullopt;
        switch (key.letter) {
        case 'Q': return cmd::Exit;
        case 'N': return cmd::NewGame;
        case 'S': return cmd::SaveGame;
        default: return std::nullopt;
        }
    }
    if (key.ctrl)
        return std::nullopt;
    switch (key.code) {
    case Key::Left: return cmd::TakeBack;
    case Key::Right: return cmd::Forward;
    case Key::Up: return cmd::ForwardTen;
    case Key::Down: return cmd::TakeBackTen;
    case Key::Enter: return cmd::MoveNow;
    case Key::Letter: break;
    }
    return std::nullopt;
}

std::optional<Key> keyFromName(std::string_view name)
{
    if (name == "Left")
        return Key{Key::Left};
    if (name == "Right")
        return Key{Key::Right};
    if (name == "Up")
        return Key{Key::Up};
    if (name == "Down")
        return Key{Key::Down};
    if (name == "Enter")
        return Key{Key::Enter};
    if (name.size() == 6 && name.substr(0, 5) == "Ctrl+") {
        char c = name[5];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c >= 'A' && c <= 'Z')
            return Key{Key::Letter, c, true};
    }
    return std::nullopt;
}

} // namespace qm
