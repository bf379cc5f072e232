#pragma once

#include "pages/Redraw.h"
#include "pages/Rows.h"

#include <QWidget>

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

class ImageStore;

// What every page is built on: the image, the master redraw, the commit list of the write paths, the
// page controls and their Exit handlers by control name (the Set buttons commit by running them), and every
// row built, for the checks over all tables.
struct TPageContext {
    TPageContext(ImageStore& image, TRedraw& redraw, TCommitList& commits)
        : Image(image), Redraw(redraw), Commits(commits)
    {
    }

    ImageStore& Image;
    TRedraw& Redraw;
    TCommitList& Commits;
    std::map<std::string, std::function<void()>> Exits;
    std::vector<TRow> Rows;

    // Runs the Exit handlers of the named controls in order; a conversion error stops the run.
    void RunExits(const std::vector<std::string>& names) const;
    // Runs the Exit handler of the control that has the focus in window, if it has one: the value being typed
    // reaches the image as if the control had been left (the focus stays).
    void CommitFocused(const QWidget& window) const;
    // Registers a control under its object name; a name given twice is a programming error (logic_error).
    void AddControl(QWidget* control);
    // Registers a control's Exit handler under its object name, once.
    void AddExit(const std::string& name, std::function<void()> exit);
    bool HasControl(const std::string& name) const { return controls_.count(name) != 0; }
    // The control of that name and type; a name never registered or of another type is a programming error.
    template <class T> T* Get(const std::string& name) const;
    const std::map<std::string, QWidget*>& Controls() const { return controls_; }

  private:
    std::map<std::string, QWidget*> controls_;
    // The context of the controls' destroyed connections: a control outliving the context (the window's
    // children go after its members) finds them gone. Declared last, so it goes first.
    QObject connections_;
};

template <class T> T* TPageContext::Get(const std::string& name) const
{
    auto it = controls_.find(name);
    if (it == controls_.end())
        throw std::logic_error("no control " + name);
    auto* control = qobject_cast<T*>(it->second);
    if (!control)
        throw std::logic_error("control " + name + " is of another kind");
    return control;
}
