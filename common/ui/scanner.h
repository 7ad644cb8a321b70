#pragma once
// Getting a picture from a scanner through SANE: choosing a source from the
// devices SANE knows, then scanning one page into a ToolkitBitmap.

#include "imaging.h"

#include <QList>
#include <QString>

class QWidget;

namespace scanner {

struct Device {
    QString name;   // what SANE opens it by, e.g. "test:0"
    QString label;  // vendor, model and type, for people
};

// The devices SANE finds now; empty when there are none or SANE fails.
QList<Device> devices();

// Lets the user pick a source from the devices found (by devices(), which
// can take seconds: the caller shows it is busy meanwhile); true when one
// was chosen. With a single device the list is still shown, so the user
// knows which one is used.
bool selectSource(QWidget* parent, const QList<Device>& found);
// How a device reads in the source list: its label and the name it is
// opened by, which tells two devices of one model apart.
QString sourceText(const Device& device);
// The source scan() uses: the one chosen last, else the first device found.
QString selectedSource();
void setSelectedSource(const QString& name);

// Scans one page in colour where the device offers it. On failure the bitmap
// is left as it was and `error` says why.
bool scan(QWidget* parent, ToolkitBitmap& bmp, QString* error = nullptr);

} // namespace scanner
