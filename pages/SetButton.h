#pragma once

#include <functional>
#include <string>

class QPushButton;
class QWidget;
struct TPageContext;

// A hidden "Set" button: the user never sees it; its handler, name + "Click", is an entry of the commit
// list that the write and save paths run, and a click runs the same handler.
QPushButton* AddSetButton(TPageContext& ctx, QWidget* parent, const std::string& name, std::function<void()> click);
