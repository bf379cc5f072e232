#pragma once

// Creates the application and the main window and runs the window loop until the main window closes.
int RunConfigTool(int argc, char** argv);
