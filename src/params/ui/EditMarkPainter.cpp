#include "params/ui/EditMarkPainter.h"
#include "params/EditMarks.h"
#include "params/FieldTable.h"
#include "params/ParameterModel.h"
#include "params/ui/FieldBinder.h"
#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>

namespace lumo {

namespace {

// Enough of the highlight to be seen, little enough to keep the text's contrast.
constexpr qreal kTintShare = 0.22;

QColor mix(const QColor& a, const QColor& b, qreal share) {
    return QColor::fromRgbF(float(a.redF() * (1 - share) + b.redF() * share),
                            float(a.greenF() * (1 - share) + b.greenF() * share),
                            float(a.blueF() * (1 - share) + b.blueF() * share));
}

// Edit fields and lists paint their text on Base; boxes and buttons on the window behind them.
QPalette::ColorRole backgroundRole(const QWidget* w) {
    if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w))
        return QPalette::Base;
    return QPalette::Window;
}

} // namespace

EditMarkPainter::EditMarkPainter(ParameterModel& model, FieldBinder& binder, QObject* parent)
    : QObject(parent), m_model(model), m_binder(binder) {
    connect(&m_binder, &FieldBinder::parameterChanged, this, [this] { update(); });
    m_model.baseline().setListener([this] { update(); });
    update();
}

EditMarkPainter::~EditMarkPainter() {
    m_model.baseline().setListener({});
}

QColor EditMarkPainter::tint(const QPalette& palette, QPalette::ColorGroup group,
                             QPalette::ColorRole role) {
    return mix(palette.color(group, role), palette.color(group, QPalette::Highlight), kTintShare);
}

void EditMarkPainter::paint(QWidget* w, bool marked) {
    m_painting = true;
    // Back to the palette the widget inherits, then the tint over it.
    w->setPalette(QPalette());
    if (qobject_cast<QAbstractButton*>(w))
        w->setAutoFillBackground(marked);
    if (marked) {
        QPalette p = w->palette();
        const QPalette::ColorRole role = backgroundRole(w);
        for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            p.setColor(g, role, tint(p, g, role));
        w->setPalette(p);
    }
    m_painting = false;
}

void EditMarkPainter::update() {
    const ParameterSet& current = m_model.params();
    const ParameterSet& baseline = m_model.baseline().values();
    for (const QString& name : allParameterNames()) {
        QWidget* w = m_binder.widget(name);
        if (!w)
            continue;
        if (!m_watched.contains(w)) {
            w->installEventFilter(this);
            m_watched.insert(w);
            connect(w, &QObject::destroyed, this, [this, w] { m_watched.remove(w); });
        }
        const bool marked = isEditedWidget(name, current, baseline);
        if (marked == m_marked.contains(name))
            continue;
        if (marked)
            m_marked.insert(name);
        else
            m_marked.remove(name);
        paint(w, marked);
    }
    const int count = int(editedParameters(current, baseline).size());
    if (count != m_count) {
        m_count = count;
        emit countChanged(count);
    }
}

bool EditMarkPainter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (!m_painting && (type == QEvent::ApplicationPaletteChange || type == QEvent::StyleChange)) {
        auto* w = qobject_cast<QWidget*>(watched);
        const QString name = w ? w->objectName() : QString();
        if (w && m_marked.contains(name))
            paint(w, true); // the tint follows the new palette
    }
    return QObject::eventFilter(watched, event);
}

} // namespace lumo
