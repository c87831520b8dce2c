#pragma once
// Puts the board view and the game flow into the main frame: painting, pen
// input, the tool buttons, "Flip board" and "Toggle layout", the animation
// and replay timers, the navigation commands, and the layout, flip and
// position state kept in the application state.

#include "app/flow/GameFlow.h"
#include "app/shell/MainFrame.h"
#include "board/BoardView.h"

#include <filesystem>
#include <memory>

namespace qm {

class CBoardLink final : public IBoardClient, public IGameFlowHost, public ILineDialogUi {
public:
    // The view draws the game flow's position in `window`, with the bitmaps
    // found in `bitmapDir`; questions go to `dialogs`.
    CBoardLink(CMainFrame& frame, IWindowHost& window, IDialogs& dialogs, IClock& clock,
               std::filesystem::path bitmapDir);

    CBoardView& view() { return *m_view; }
    CGameFlow& flow() { return *m_flow; }

    // IBoardClient
    bool replayRunning() const override { return m_flow && m_flow->replayRunning(); }
    void userMove(CMove move, bool dragged) override;
    int statusBottom() const override { return m_window.clientSize().height; }
    void openContextMenu(Point p) override;
    void takeBackPlies(int n) override;
    // Dialog 126 through the platform; the queen when it is closed.
    PieceCode askPromotionPiece(Colour colour) override;

    // IGameFlowHost
    void autosave() override { m_frame.hooks().autosave(); }
    bool analysisMode() const override { return m_frame.app().analysisMode; }
    bool trainingRunning() const override { return m_frame.app().trainingRunning; }
    void stopTraining() override { m_frame.hooks().stopTraining(); }
    bool modalDialogOpen() const override { return m_frame.app().modalDialogOpen(); }
    void repaintStatus() override { m_frame.hooks().repaintStatus(); }

    // Controls of "Add line" (111) and "Select line" (440).
    static constexpr int LinesList = 1012, NewMoveField = 1013, ReplaceMainLineButton = 1039,
                         AddMainLineButton = 1014, AddLineButton = 1017, ChangeDefaultList = 1028,
                         DeleteSelectedButton = 1018, DontAddButton = 1009, SelectLineList = 441;

    // ILineDialogUi, on form dialogs
    NewLineChoice newLine(const std::vector<std::string>& lines, const std::string& newMove,
                          int defaultChoice) override;
    int selectLine(const std::vector<std::string>& lines) override;

private:
    void syncState();

    CMainFrame& m_frame;
    IWindowHost& m_window;
    // Every box and dialog of the board and the game flow sets the modal flag.
    CModalDialogs m_dialogs;
    std::filesystem::path m_bitmapDir;
    std::unique_ptr<CBoardView> m_view;
    std::unique_ptr<CGameFlow> m_flow;
};

} // namespace qm
