#pragma once
#include <QObject>
#include <QString>
#include <array>

namespace lumo {

// The texts of the main window's seven status-bar panels. The window fills the file,
// firmware, time and date panels at every port tick; the local link part fills the link panel
// ("COM:1", "USB:OK"). The window paints whatever changed.
class StatusPanels : public QObject {
    Q_OBJECT
public:
    enum Panel { Link = 0, File = 1, Firmware = 3, Time = 5, Date = 6 };
    static constexpr int kCount = 7;

    void setText(int panel, const QString& text);
    QString text(int panel) const;
    // A passing note over the panels; empty when none is shown.
    void setNote(const QString& text);
    const QString& note() const { return m_note; }

signals:
    void changed(int panel); // only when the panel's text is new
    void noteChanged();

private:
    std::array<QString, kCount> m_texts;
    QString m_note;
};

} // namespace lumo
