#pragma once
// Command ids of the menus, menu-bar buttons, tool buttons and accelerators,
// and the ids of the main window's timers.

namespace qm::cmd {

inline constexpr int NewGame = 40006;
inline constexpr int GameDetails = 40019;
inline constexpr int GameMoves = 40020;
inline constexpr int LoadGame = 40007;
inline constexpr int SaveGame = 40018;
inline constexpr int ReplaceGame = 40004;
inline constexpr int SelectDatabase = 40022;
inline constexpr int SelectBook = 40060;
inline constexpr int Exit = 40001;
inline constexpr int Levels = 40013;
inline constexpr int Options = 40012;
inline constexpr int SetupBoard = 40049;
inline constexpr int NextGame = 40053;
inline constexpr int PreviousGame = 40054;
inline constexpr int CommentMove = 40021;
inline constexpr int ReplayMoves = 40010;
inline constexpr int ClearHashtables = 40023;
inline constexpr int Help = 40055;
inline constexpr int About = 40024;
inline constexpr int Hint = 40041;
inline constexpr int ShowThreat = 40050;
inline constexpr int Training = 40071;
inline constexpr int BackToStart = 40051;
inline constexpr int ForwardToEnd = 40052;
inline constexpr int TakeBack = 40038;
inline constexpr int Forward = 40039;
inline constexpr int MoveNow = 40016;
inline constexpr int AnalyzeMode = 40040;
inline constexpr int ToggleLayout = 40015;
inline constexpr int FlipBoard = 40014;
inline constexpr int TakeBackTen = 397;
inline constexpr int ForwardTen = 398;

// Tool buttons of layouts 1 and 8 (ids 390..398).
inline constexpr int FirstToolButton = 390;
inline constexpr int LastToolButton = 398;

} // namespace qm::cmd

namespace qm::timer {

inline constexpr int Display = 100;    // clocks and engine output, 250 ms
inline constexpr int Animation = 102;  // one move-animation step
inline constexpr int Replay = 103;     // one replay step (one-shot)
inline constexpr int Dgt = 105;        // DGT board poll, 150 ms
inline constexpr int TrainingMove = 106;   // next solution move (one-shot)
inline constexpr int TrainingSolved = 107; // solved position report (one-shot)
inline constexpr int KeepAlive = 108;  // idle-timer reset, 15 s

inline constexpr int DisplayPeriod = 250;
inline constexpr int DgtPeriod = 150;
inline constexpr int KeepAlivePeriod = 15000;

// Timers whose handler ends them before acting, and that wait (stay running)
// while an animation runs or a modal dialog is open.
constexpr bool isOneShot(int id) { return id == Replay || id == TrainingMove || id == TrainingSolved; }

} // namespace qm::timer
