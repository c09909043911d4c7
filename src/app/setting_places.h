#pragma once
// Where a settings control stands in the window: the tabs in front of it,
// whether a user can reach it, and a short flash that shows it once there.
#include <QString>
#include <QStringList>

class QWidget;

namespace zorbel::app {

// The captions of the tabs that hold `control`, outermost first
// ({"Telemetry reports", "Analog channels"}), without their mnemonics.
QStringList tabPath(const QWidget* control);

// "Beacons › 3 Path": the tab path, then the control's caption.
QString placedCaption(const QStringList& path, const QString& caption);

// Whether a user can bring `control` to the front: it is not hidden itself,
// and no tab on its way is hidden. Its window itself may be closed.
bool reachable(const QWidget* control);

// Frames `control` for a moment, so the eye finds it.
void flashHighlight(QWidget* control);

}  // namespace zorbel::app
