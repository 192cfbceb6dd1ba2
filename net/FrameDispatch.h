#pragma once
// Handling of the frames that the receiver has cut, in arrival order.
//
//   op 0     greeting: answered (SendVersion) when byte 3 is 0x01 and present
//   op 2     up to date: EnterReady
//   op 1/5/7 patch server: BeginPatch with the decoded account; for op 5 a local
//            run mode (4) becomes release mode (1) first
//   others   ignored
//
// The op code is byte 3 of a long frame and byte 2 of a short one, so a long
// greeting is never answered. Patch-server frames shorter than 168 bytes are
// dropped.
#include "app/LaunchOptions.h"
#include "net/FrameFormat.h"
#include "net/FrameHandler.h"
#include "net/FrameReceiver.h"

// Pops and handles frames until the pool is empty; returns how many were popped.
// Safe to re-enter from a handler that pumps messages.
int DispatchFrames(FrameReceiver& receiver, FrameHandler& handler, LaunchOptions& options);
