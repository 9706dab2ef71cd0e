// Control, command and timer numbers of the game window. End-to-end tests find controls by them.
#pragma once

enum TTilvaneControlId : int {
    idMainPanel = 100,
    idTipsLabel,
    idColumnsCountLabel,
    idColumnsCountComboBox,
    idAllowFlipCheckBox,
    idRowsCountLabel,
    idRowsCountComboBox,
    idLightGridCheckBox,
    idPositionLabel,
    idMovesCountLabel,
    idWrongMovesLabel,
    idRemainingCountLabel,
    idOriginalPictureGroupBox,
    idPuzzlePictureGroupBox,
    idOriginalPictureImage,
    idPuzzlePictureImage,
    idBackupPictureImage,
    idPlayTimeLabel,
};

enum TTilvaneCommandId : int {
    cmLoadPicture = 200,
    cmReloadCurrentPicture,
    cmOpenPicture,
    cmLoadLastGame,
    cmLoadGame,
    cmSaveGame,
    cmHide,
    cmRandomize,
    cmGameWallpapers,
    cmHelp,
    cmAbout,
    cmNextPicture,
    cmPreviousPicture,
    cmSamplePictures,
    cmPastePicture,
    cmUndoMove,
    cmRedoMove,
    cmBestResults,
    cmAnimateMoves,
};

// The game window's timers: each part that needs one has its own id here.
enum TTilvaneTimerId : unsigned {
    tmPlayTime = 1,  // the play time label
    tmPieceMotion,   // the frames of a slide and of the solved picture's sweep
};
