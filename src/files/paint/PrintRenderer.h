#pragma once
#include "files/PrintDocument.h"

class QFont;
class QPagedPaintDevice;
class QPaintDevice;
class QPainter;

namespace lumo {

// Text measurement with the fonts of a paint device (a printer, a PDF writer).
class DeviceTextMetrics : public TextMetrics {
public:
    explicit DeviceTextMetrics(QPaintDevice* device) : m_device(device) {}
    double width(const QString& text, const PrintFont& font) const override;
    double height(const PrintFont& font) const override;

private:
    QPaintDevice* m_device;
};

// The toolkit font of a document font (the device default face when no family is named).
QFont toQFont(const PrintFont& font);

// Draws every page of `document` on a painter that is active on `device`, starting a new
// page of the device between pages. Text is drawn as text, so a PDF keeps it searchable.
void renderDocument(const PrintDocument& document, QPainter& painter, QPagedPaintDevice& device);

// Opens a painter on `device`, renders and ends it. False when the device cannot be painted
// on (a printer that fails to start the job).
bool renderDocument(const PrintDocument& document, QPagedPaintDevice& device);

} // namespace lumo
