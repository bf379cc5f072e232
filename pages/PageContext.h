#pragma once

#include "pages/Redraw.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class ImageStore;

// What every page is built on: the image, the master redraw, the commit list of the write paths, and
// the Exit handlers of the page controls by control name (the Set buttons commit by running them).
struct TPageContext {
    TPageContext(ImageStore& image, TRedraw& redraw, TCommitList& commits)
        : Image(image), Redraw(redraw), Commits(commits)
    {
    }

    ImageStore& Image;
    TRedraw& Redraw;
    TCommitList& Commits;
    std::map<std::string, std::function<void()>> Exits;

    // Runs the Exit handlers of the named controls in order; a conversion error stops the run.
    void RunExits(const std::vector<std::string>& names) const;
};
