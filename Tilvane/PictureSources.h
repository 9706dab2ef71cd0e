// Where a new game's picture comes from: the picture dialog, the samples, the next or previous
// picture of the folder, the picture reloaded or opened in the viewer, the page of free pictures,
// the clipboard, and files dropped on the window or named on the command line.
#pragma once

#include "Framework/FileDialog.h"
#include "Framework/Form.h"
#include "Include/MyGDIPlus.h"
#include "Tilvane/Core/PictureWalk.h"
#include "Tilvane/GameSession.h"
#include "Tilvane/SavedGames.h"

#include <string>
#include <vector>

class TFunOperation;

class TPictureSources {
public:
    TPictureSources(TForm& window, const TPictureEngine& engine, TGameSession& session, TSavedGames& games);
    TPictureSources(const TPictureSources&) = delete;
    TPictureSources& operator=(const TPictureSources&) = delete;

    void LoadPictureCommand();
    void SamplePicturesCommand();
    void NeighbourPictureCommand(TWalkDirection direction);
    void ReloadPictureCommand();
    void OpenPictureCommand();
    void WallpapersCommand();
    // A picture from the clipboard, written as a PNG file into the data folder and loaded from it
    // as a new game; copied files open as a drop (PicturePaste.cpp).
    void PastePictureCommand();
    // Files dropped on the window or named on the command line: the first picture or saved game
    // among them starts a new game or is loaded, as its menu command would; with none, a warning.
    void OpenGivenFiles(const std::vector<std::string>& files);
    // The command line's files; without any, the first sample when the player starts for the
    // first time with nothing on screen.
    void OpenStartingFiles(bool offerFirstSample);
    // The save question, then a new game of the picture, which the next save is named after.
    void NewGameFromPicture(const std::string& path);

private:
    void ChoosePictureFrom(TFunOperation& op, const std::string& start);
    void OpenPictureFile(const std::string& path);
    void LoadNeighbourPicture(TFunOperation& op, TWalkDirection direction);
    // The picture's name; empty when the folder holds no picture.
    std::string NeighbourPictureIn(const std::string& folder, const std::string& current,
                                   TWalkDirection direction) const;
    void LoadFirstSample();

    TForm& window_;
    const TPictureEngine& engine_;
    TGameSession& session_;
    TSavedGames& games_;
    TFileDialog loadPictureDialog_{TFileDialog::Open};
};

// The pictures that come with the game: "Sample pictures\" beside the program.
std::string GetSamplesDirectory();
