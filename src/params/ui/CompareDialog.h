#pragma once
#include "params/Comparison.h"
#include "params/ParameterDiff.h"
#include <QDialog>
#include <QHash>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace lumo {

class Messenger;
class ParameterSet;
class Texts;

// Lists every parameter in which the window's set differs from another set (read from a unit
// or loaded from a file): page, caption, the window's value, the other value and a note. A
// filter narrows the list; a double-click asks the window to show the field and closes the
// dialog; "Převzít" takes the other values of the selected rows through the field rules, and
// a refused row stays with the reason in its note.
class CompareDialog : public QDialog {
    Q_OBJECT
public:
    // Shows the field (or option group) of that name in the main window.
    using Jump = std::function<void(const QString& name)>;

    CompareDialog(ParameterSet& window, const Texts& texts, Messenger& messenger,
                  QWidget* parent = nullptr);

    void setJump(Jump jump) { m_jump = std::move(jump); }
    // Takes the other set and the dialog's wording; clears the notes and lists the differences.
    void setRequest(const CompareRequest& request);
    // Lists the differences afresh (the window's values may have changed).
    void refresh();

    void setFilter(const QString& text);
    // Takes the other value of every selected row that the filter shows.
    void takeSelected();
    // Selects the rows of these parameters (tests, and keeping the selection over a refresh).
    void select(const QStringList& names);
    void jumpTo(const QString& name);

    const std::vector<ParameterDifference>& differences() const { return m_differences; }
    QString note(const QString& name) const { return m_notes.value(name); }
    // The names of the rows the filter shows, in list order.
    QStringList shownNames() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyTexts();
    void fitColumns();
    void applyFilter();
    QString shownValue(const QString& value, bool available) const;

    ParameterSet& m_window;
    const Texts& m_texts;
    Messenger& m_messenger;
    CompareRequest m_request;
    std::vector<ParameterDifference> m_differences;
    QHash<QString, QString> m_notes;
    Jump m_jump;

    QLabel* m_filterLabel;
    QLineEdit* m_filter;
    QTreeWidget* m_list;
    QLabel* m_empty;
    QLabel* m_count;
    QPushButton* m_take;
    QPushButton* m_close;
};

} // namespace lumo
