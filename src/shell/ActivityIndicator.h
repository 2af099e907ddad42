#pragma once
#include <QObject>
#include <QtGlobal>
#include <optional>

namespace lumo {

// The activity indicator of the main window (`Label166`): the colour of the last reply or
// fault of an exchange, back to the window colour at every port tick. Engines' views set it;
// the window paints it.
class ActivityIndicator : public QObject {
    Q_OBJECT
public:
    // The colour shown as 0xRRGGBB; empty means the window's own colour.
    std::optional<quint32> colour() const { return m_colour; }
    void set(quint32 rgb);
    void reset();

signals:
    void changed();

private:
    std::optional<quint32> m_colour;
};

} // namespace lumo
