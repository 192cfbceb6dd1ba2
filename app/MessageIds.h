#pragma once
// The numbers of the catalogue texts ("message.ctf") the launcher shows, named for
// the role each text plays. Every id here has a line in both catalogues, app/message.ko.ctf and app/message.en.ctf.

enum MessageId {
    kMsgOptionsTip = 2,              // tooltip of the Options button
    kMsgFilesCounter = 12,           // label before "n/m" of the file counter
    kMsgVersionsCounter = 13,        // label before "n/m" of the version counter
    kMsgConnecting = 102,            // status while connecting; tooltip of Connect
    kMsgConnectFailed = 107,
    kMsgPatchStarting = 108,
    kMsgFetchingCatalogue = 109,
    kMsgReadingCatalogue = 112,
    kMsgCatalogueUnreadable = 113,   // also a list whose tags cannot be read
    kMsgCatalogueTooLong = 114,
    kMsgDownloadFailed = 116,
    kMsgListUnreadable = 119,
    kMsgNoVersionDirectory = 120,
    kMsgReadingList = 121,
    kMsgDownloadingFiles = 122,
    kMsgUpdateComplete = 123,
    kMsgServerBusy = 125,
    kMsgReady = 126,
    kMsgAlreadyRunning = 127,        // second launcher started
    kMsgBoxTitle = 128,              // title of the launcher's message boxes
    kMsgStartOutOfResources = 131,   // game start failures, by WinExec result
    kMsgStartNotAProgram = 132,
    kMsgStartProgramNotFound = 133,
    kMsgInternetOpenFailed = 134,
    kMsgFtpConnectFailed = 135,
    kMsgTooManyFiles = 136,
    kMsgCannotSave = 137,
    kMsgUpdateFailed = 138,
    kMsgNetStartupFailed = 141,
    kMsgNetWrongVersion = 142,
    kMsgNetCreateFailed = 143,       // holds a %d for the socket error
    kMsgNetNoWindow = 144,
    kMsgDownloadingCaption = 145,    // transfer caption while downloading
    kMsgExpandingCaption = 146,      // transfer caption while expanding
    kMsgCompleteCaption = 147,       // transfer caption after the walk
    kMsgDamagedFile = 148,           // a file, list or manifest not as the manifest says
    kMsgUpdateNotSigned = 149,       // not signed by the publisher whose key is built in
    kMsgRepairReading = 160,         // repair: reading the versions' manifests
    kMsgRepairChecking = 161,        // repair: hashing the game files
    kMsgRepairFetching = 162,        // repair: fetching damaged files
    kMsgRepairDone = 163,            // %d checked, %d repaired
    kMsgRepairFailedSummary = 164,   // %d checked, %d repaired, %d failed, %s first failed file
    kMsgRepairNoManifest = 165,      // %s the version whose manifest is missing or unverified
    kMsgRepairLink = 166,            // the options dialog's repair entry
    kMsgRepairCheckingCaption = 167, // transfer caption while hashing
    kMsgRepairFileFailed = 168,      // %s the file that could not be repaired
    kMsgNoticeAddress = 10000,       // address of the notice page
};
