#pragma once
// The numbers of the catalogue texts ("message.ctf") the launcher shows, named for
// the role each text plays. Every id here has a line in app/message.ctf.

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
    kMsgNoticeAddress = 10000,       // address of the notice page
};
