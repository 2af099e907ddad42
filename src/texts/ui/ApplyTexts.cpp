#include "texts/ui/ApplyTexts.h"
#include "texts/Texts.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>

namespace lumo {

namespace {

bool setText(QWidget& window, const QString& name, const QString& text) {
    if (auto* action = window.findChild<QAction*>(name)) {
        action->setText(text);
        if (auto* menu = window.findChild<QMenu*>(name))
            menu->setTitle(text);
        return true;
    }
    QWidget* w = window.findChild<QWidget*>(name);
    if (!w)
        return false;
    if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(text);
    else if (auto* box = qobject_cast<QGroupBox*>(w))
        box->setTitle(text);
    else if (auto* menu = qobject_cast<QMenu*>(w))
        menu->setTitle(text);
    else {
        // A page of a tab widget: the tab carries the caption.
        for (QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
            if (auto* tabs = qobject_cast<QTabWidget*>(p)) {
                const int index = tabs->indexOf(w);
                if (index >= 0) {
                    tabs->setTabText(index, text);
                    return true;
                }
            }
        }
        w->setWindowTitle(text);
    }
    return true;
}

} // namespace

std::vector<TextPlace> applyTextPlaces(QWidget& window, const std::vector<TextPlace>& places,
                                       const Texts& texts) {
    std::vector<TextPlace> missing;
    for (const TextPlace& place : places) {
        const QString text = placeText(place, texts);
        bool found = true;
        switch (place.kind) {
        case TextPlace::Kind::Caption:
            window.setWindowTitle(text);
            break;
        case TextPlace::Kind::Hint:
            if (QWidget* w = window.findChild<QWidget*>(place.control))
                w->setToolTip(text);
            else if (auto* a = window.findChild<QAction*>(place.control))
                a->setToolTip(text);
            else
                found = false;
            break;
        case TextPlace::Kind::Text:
        case TextPlace::Kind::Group:
            found = setText(window, place.control, text);
            break;
        }
        if (!found)
            missing.push_back(place);
    }
    return missing;
}

} // namespace lumo
