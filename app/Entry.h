#pragma once

class TApplication;

// The program entry: creates the windows in their order and runs the message loop.
int DropstoneMain(TApplication &app);
