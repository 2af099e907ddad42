#pragma once
#include <QHash>
#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QSet>
#include <QWidget>

namespace lumo {

class FieldBinder;
class ParameterModel;

// Paints the marks of edited fields: every bound widget whose parameter differs from the
// model's baseline gets a light tint of the palette's highlight behind its text or box, mixed
// from the widget's own palette so it stays readable in light and dark palettes and under
// every style. Nothing else about the widget changes. Follows the model (typing, reads,
// loads) and the baseline (resets), and repaints when the palette or style changes.
class EditMarkPainter : public QObject {
    Q_OBJECT
public:
    EditMarkPainter(ParameterModel& model, FieldBinder& binder, QObject* parent = nullptr);
    ~EditMarkPainter() override;

    // Edited parameters (an option group counts once).
    int count() const { return m_count; }
    bool isMarked(const QString& widgetName) const { return m_marked.contains(widgetName); }

    // The tint of a marked widget's background, for a palette (light or dark).
    static QColor tint(const QPalette& palette, QPalette::ColorGroup group,
                       QPalette::ColorRole role);

    // Compares everything again (also run on every change the binder reports).
    void update();

signals:
    void countChanged(int count);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paint(QWidget* w, bool marked);

    ParameterModel& m_model;
    FieldBinder& m_binder;
    QSet<QString> m_marked;
    QSet<QObject*> m_watched;
    int m_count = 0;
    bool m_painting = false;
};

} // namespace lumo
