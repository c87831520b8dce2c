#pragma once
// Puts the board view into the main frame: painting, pen input, the tool
// buttons, "Flip board" and "Toggle layout", the animation timer, and the
// layout and flip state kept in the application state.

#include "app/shell/MainFrame.h"
#include "board/BoardView.h"

#include <filesystem>
#include <memory>

namespace qm {

class CBoardLink final : public IBoardClient {
public:
    // The view draws `frame.app().position` in `window`, with the bitmaps
    // found in `bitmapDir`.
    CBoardLink(CMainFrame& frame, IWindowHost& window, std::filesystem::path bitmapDir);

    CBoardView& view() { return *m_view; }

    // IBoardClient
    bool replayRunning() const override { return m_frame.app().replayRunning; }
    // Until the game flow takes moves into the game record, a move is made
    // on the current position and shown.
    void userMove(CMove move, bool dragged) override;
    int statusBottom() const override { return m_window.clientSize().height; }
    void openContextMenu(Point p) override;

private:
    void syncState();

    CMainFrame& m_frame;
    IWindowHost& m_window;
    std::filesystem::path m_bitmapDir;
    std::unique_ptr<CBoardView> m_view;
};

} // namespace qm
