#pragma once
// The process-wide start-up record, filled from the command line before the dialog
// exists.
#include "app/VersionTriple.h"
#include "patch/PublisherKeys.h"

enum RunMode { kRunNormal = 0, kRunRelease = 1, kRunTest = 2, kRunLocal = 4 };

struct LaunchOptions {
    int runMode = 1;
    VersionTriple cmdLineVersion = {0, 0, 0};
    char passArgs[16] = {};        // the launcher's own tokens, joined by blanks, cut to fit
    char connectHost[50] = {};
    int connectPort = 0;
    PublisherKeys publisherKeys;   // none: a keyless launcher
};

extern LaunchOptions g_launchOptions;

// Reads the switches /t, /r and /l (with its version token) from the text after the
// program name. Sets runMode to 0 first. Every token is appended to passArgs, which is
// cut at 15 characters; tokens of any length are handled without overflow.
void ParseCommandLine(LaunchOptions& options, const char* commandLine);

// Copies the connect-server address into the record, cutting the host to fit.
void SetConnectServer(LaunchOptions& options, const char* host, int port);
