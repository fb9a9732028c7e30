#pragma once

// Runs Tovik as a desktop application until it quits; returns the exit status.
int runDesktopApp(int argc, char** argv);
