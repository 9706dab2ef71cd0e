// Control and command numbers of the game window. End-to-end tests find controls by them.
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
};
