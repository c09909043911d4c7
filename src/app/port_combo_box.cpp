// The connection group's port box and what its names stand for.
#include "port_combo_box.h"

#include <QAbstractItemView>
#include <QFileInfo>
#include <QKeyEvent>
#include <QSocketNotifier>
#include <QStyle>

#include "link/device_link.h"
#include "object_names.h"

namespace zorbel::app {

namespace {

// After the simulator's link in the port list.
const QString kSimulatorMark = " (simulator)";

}  // namespace

QString portDescription(const QString& port) {
  const QString device =
      QString::fromLocal8Bit(link::DeviceLink::devicePath(port.toLocal8Bit().toStdString()));
  if (device != port) return port + " means " + device;
  const QString target = QFileInfo(port).canonicalFilePath();
  if (port == QString::fromLocal8Bit(link::DeviceLink::simulatorLinkPath())) {
    return "The device simulator zorbel-sim\n" + port +
           (target.isEmpty() ? QString() : " \u2192 " + target);
  }
  if (port.startsWith("/dev/serial/by-id/") && !target.isEmpty()) return target + "\n" + port;
  return target.isEmpty() || target == port ? port : port + " \u2192 " + target;
}

PortComboBox::PortComboBox() {
  setObjectName(names::kPortBox);
  // An adapter plugged in or out changes the list while the window is open.
  if (watch_.fd() >= 0) {
    auto* notifier = new QSocketNotifier(watch_.fd(), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
      if (watch_.portsChanged()) refresh();
    });
  }
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  refresh();
  // At start the box shows "COM1" with no item selected.
  setCurrentIndex(-1);
  setEditText("COM1");
}

void PortComboBox::showPopup() {
  refresh();
  QComboBox::showPopup();
}

// The box has the focus and hands keys on to its edit itself, past any filter.
void PortComboBox::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && onReturn) {
    onReturn();
    return;
  }
  QComboBox::keyPressEvent(event);
}

void PortComboBox::refresh() {
  const QString typed = currentText();
  const int selected = currentIndex();
  const QString selectedPort = selected >= 0 ? itemData(selected).toString() : QString();
  const std::vector<link::PortInfo> found = link::DeviceLink::offeredPorts();
  QStringList ports;
  QStringList texts;
  QStringList tooltips;
  const QString simulator = QString::fromLocal8Bit(link::DeviceLink::simulatorLinkPath());
  for (const link::PortInfo& info : found) {
    const QString port = QString::fromLocal8Bit(info.path);
    const QString state = QString::fromLocal8Bit(info.state());
    // The simulator's link says what it is, a port that will not open why not;
    // every item names its device, what it is and its state in its tooltip.
    QString shown = port == simulator ? port + kSimulatorMark : port;
    if (info.access != link::PortAccess::Ready) shown += " [" + state + "]";
    ports << port;
    texts << shown;
    const QString what = QString::fromLocal8Bit(info.description());
    tooltips << portDescription(port) + (what.isEmpty() ? QString() : "\n" + what) + "\n" + state;
  }
  if (ports == items() && texts == itemTexts()) return;
  const QSignalBlocker quiet(this);
  clear();
  int widest = 0;
  for (int i = 0; i < ports.size(); ++i) {
    addItem(texts[i], ports[i]);
    setItemData(count() - 1, tooltips[i], Qt::ToolTipRole);
    widest = std::max(widest, view()->fontMetrics().horizontalAdvance(itemText(count() - 1)));
  }
  // The list is wide enough for the longest name.
  view()->setMinimumWidth(widest + view()->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 24);
  setCurrentIndex(selected >= 0 ? findData(selectedPort) : -1);
  setEditText(typed);
}

QStringList PortComboBox::items() const {
  QStringList list;
  for (int i = 0; i < count(); ++i) list << itemData(i).toString();
  return list;
}

QStringList PortComboBox::itemTexts() const {
  QStringList list;
  for (int i = 0; i < count(); ++i) list << itemText(i);
  return list;
}

}  // namespace zorbel::app
