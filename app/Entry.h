#pragma once

// Creates the application and the main window and runs the window loop until the main window closes.
int RunConfigTool(int argc, char** argv);

// The process's own signal rules, set once at start-up before any thread is made (a signal's handling holds
// for the whole process, so no save may change it around its own write): a write past the file size limit
// (ulimit -f) fails with its reason instead of ending the tool.
void SetUpProcessSignals();
