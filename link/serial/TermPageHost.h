#pragma once

// What the terminal page needs of the main window beyond LinkHost. TForm1 implements it; every call is made on
// the window thread.
class TermPageHost
{
  public:
    virtual ~TermPageHost() = default;

    // The I/O option switches of the settings pages into the image (SetIOCheckBox), as the service block writer
    // commits them before it sends.
    virtual void SetIOCheckBoxClick() = 0;
};
