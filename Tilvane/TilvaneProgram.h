// The program's name and version, as the windows and the installer show them, and the tips the
// game window shows.
#pragma once

inline constexpr const char* ProgramName = "Tilvane";
inline constexpr const char* VersionText = "Version 2.5.1, released on 24.10.2004";

inline constexpr const char* StartTip = "Press [F5] to load a picture. Press [L] to load a game.";
inline constexpr const char* RandomizeTip = "Press [Alt + R] to randomize the picture.";
inline constexpr const char* DragTip = "Drag a piece of the puzzle on another piece, to swap them.";
