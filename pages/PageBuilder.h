#pragma once

#include "pages/Rows.h"

#include <string>
#include <vector>

class QFormLayout;
class QGroupBox;
class QWidget;
struct TPageContext;

// Makes the controls of row tables: each row's widget of its field's kind, named, captioned, bound to its
// field (editor, Exit handler, decoder at its step) and registered with the context under its name.
class TPageBuilder
{
  public:
    explicit TPageBuilder(TPageContext& ctx) : ctx_(ctx) {}

    // A titled group with the rows in a form: edits and pick lists beside their caption, switches and
    // choices on a line of their own.
    QGroupBox* Group(QWidget* parent, const std::string& name, const std::string& caption,
                     const std::vector<TRow>& rows);
    // The rows laid out as Group lays them out, on a form of a widget of the caller's.
    void AddRows(QFormLayout* form, const std::vector<TRow>& rows);
    // One row's widget, bound and registered but not laid out (for pages with a layout of their own).
    QWidget* Build(QWidget* parent, const TRow& row);

  private:
    TPageContext& ctx_;
};
