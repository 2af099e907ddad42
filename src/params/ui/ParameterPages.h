#pragma once

class QTabWidget;

namespace lumo {

class FieldBinder;
class Texts;

// Builds the parameter pages of the main window from the layout columns of the field table:
// every page, frame, row, label and field, with the control names the field binder and the
// texts look for. Nothing here knows a particular field; a field added to the table with a
// place gets its row.
class ParameterPages {
public:
    // Adds the pages to `tabs` in page order.
    static void build(QTabWidget* tabs);
    // Page, frame and button captions, row labels and hints from the texts table.
    static void applyTexts(QTabWidget* tabs, const Texts& texts);
    // Each row label shows and hides with its field (the prefix's label with the prefix).
    static void bindRowLabels(QTabWidget* tabs, FieldBinder& binder);
};

} // namespace lumo
