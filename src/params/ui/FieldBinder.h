#pragma once
#include <QChar>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace lumo {

class Messenger;
class ParameterSet;
class Texts;
struct FieldDef;

// Binds the parameter widgets of the windows (edit fields, option buttons, check boxes, the
// tone-detection lists) to the parameter set by objectName, both ways: user edits go into the
// model, model changes go into the widgets without running any rule. It also runs the field
// rules that belong to typing and leaving edit fields (key filters, exit rules, the
// unfitted-buttons question) and the switch-mode rule on a user's click of an option button.
class FieldBinder : public QObject {
    Q_OBJECT
public:
    FieldBinder(ParameterSet& params, const Texts& texts, Messenger& messenger,
                QObject* parent = nullptr);
    ~FieldBinder() override;

    // Registers every widget under `root` whose objectName is a parameter and brings it to the
    // model's value and states.
    void bind(QWidget* root);
    // A widget that is shown and hidden together with a parameter (Label168 with Edit158).
    void addVisibilityFollower(const QString& name, QWidget* follower);

    QWidget* widget(const QString& name) const { return m_widgets.value(name); }

    void setDecimalSeparator(QChar separator) { m_decimalSeparator = separator; }

signals:
    // A parameter's value or state changed in the model (after its widget followed).
    void parameterChanged(const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void bindWidget(QWidget* w, const QString& name);
    void onModelChanged(const QString& name);
    void refreshWidget(const QString& name);
    void onOptionClicked(const QString& name);
    void userChangedText(const QString& name, const QString& text);

    bool handleKeyPress(QWidget* w, const FieldDef& def, class QKeyEvent* key);
    void handleFocusIn(QWidget* w, const FieldDef& def);
    void handleFocusOut(QWidget* w, const FieldDef& def);
    void returnFocus(QWidget* w);
    void insertFiltered(QWidget* w, const FieldDef& def, const QString& typed);

    ParameterSet& m_params;
    const Texts& m_texts;
    Messenger& m_messenger;
    QChar m_decimalSeparator;
    QHash<QString, QPointer<QWidget>> m_widgets;
    QHash<QString, QPointer<QWidget>> m_followers;
    QHash<QObject*, QString> m_names;       // watched widget -> parameter name
    QHash<QString, QString> m_valueOnEntry; // Edit151
    bool m_syncing = false;                 // model -> widget copy in progress
    bool m_inExitRule = false;              // a message of an exit rule is showing
    bool m_returningFocus = false;          // our own setFocus after a rejected exit
};

} // namespace lumo
