#include "Tilvane/TilvaneCommands.h"
#include "Tilvane/TilvaneKeys.h"

#include "Tilvane/TilvaneIds.h"

#include <stdexcept>

const std::vector<TGameCommand>& GameCommands() {
    // clang-format off
    static const std::vector<TGameCommand> commands = {
        // id                       caption                   shortcut            hint
        {cmLoadPicture,            "Load picture",           {VK_F5, 0},         ""},
        {cmReloadCurrentPicture,   "Reload current picture", {VK_F5, FCONTROL},  ""},
        {cmOpenPicture,            "Open picture",           {'R', 0},           ""},
        {cmNextPicture,            "Next picture",           {'N', 0},           ""},
        {cmPreviousPicture,        "Previous picture",       {'N', FSHIFT},      ""},
        {cmPastePicture,           "Paste picture",          {'V', FCONTROL},    ""},
        {cmLoadLastGame,           "Load last game",         {'Z', FCONTROL},    ""},
        {cmLoadGame,               "Load game",              {'L', 0},           ""},
        {cmSaveGame,               "Save game",              {'S', 0},           ""},
        {cmUndoMove,               "Undo move",              {VK_BACK, 0},       ""},
        {cmRedoMove,               "Redo move",              {VK_BACK, FSHIFT},  ""},
        {cmAnimateMoves,           "Animate moves",          {},                 ""},
        {cmBestResults,            "Best results",           {'B', 0},           ""},
        {cmHide,                   "Hide",                   {VK_SPACE, 0},      ""},
        {cmRandomize,              "&Randomize",             {'R', FALT},        ""},
        {cmGameWallpapers,         "Game wallpapers",        {},                 ""},
        {cmSamplePictures,         "Sample pictures",        {},                 ""},
        {cmHelp,                   "&Help",                  {},                 ""},
        {cmAbout,                  "&About",                 {},                 "Display information about the program"},
    };
    // clang-format on
    return commands;
}

const TGameCommand& GameCommand(int id) {
    for (const TGameCommand& command : GameCommands())
        if (command.Id == id) return command;
    throw std::logic_error("No game command " + std::to_string(id));
}

const std::vector<TGameKey>& GameKeys() {
    static const std::vector<TGameKey> keys = {
        {"Alt+F", "shuffle"},            // "Allow &flipping pieces"
        {"Alt+G", "window"},             // "Light &grid"
        {"Ctrl+left click", "play"},     // mirrors left to right
        {"Shift+left click", "play"},    // mirrors top to bottom
        {"right click", "hints"},        // marks a cell
        {"hold Ctrl+Alt", "hints"},      // the piece's own place
        {"Esc", "errors"},               // closes the error dialog, the About dialog, the installer
        {"hold Ctrl+Alt", "keyboard"},   // the own place of the piece in the frame
    };
    static const std::vector<TGameKey> withPuzzleKeys = [] {
        std::vector<TGameKey> all = keys;
        for (int i = 0; i < PuzzleKeyCount; ++i) all.push_back({PuzzleKeys[i].Name, "keyboard"});
        return all;
    }();
    return withPuzzleKeys;
}
