#pragma once
#include <QRect>
#include <QString>
#include <QWidget>

namespace lumo {

// Places a control of a fixed-layout window: its object name (the name the texts and tests
// find it by), its parent and its geometry.
template <typename W> W* named(W* widget, const QString& name, QWidget* parent, QRect geometry) {
    widget->setObjectName(name);
    widget->setParent(parent);
    widget->setGeometry(geometry);
    return widget;
}

template <typename W> W* named(W* widget, const char* name, QWidget* parent, QRect geometry) {
    return named(widget, QString::fromLatin1(name), parent, geometry);
}

} // namespace lumo
