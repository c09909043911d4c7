#pragma once
// The connection group's port box. It re-reads the serial devices each time
// its list opens, and when an adapter is plugged in or out, so a device
// plugged in after start-up is offered; the typed text stays.
#include <QComboBox>
#include <QString>
#include <QStringList>
#include <functional>

#include "link/port_watch.h"

namespace zorbel::app {

// What a port name stands for, for its tooltip: COM1 means /dev/ttyS0; an
// adapter's /dev/serial/by-id name and its device; the simulator's link.
QString portDescription(const QString& port);

class PortComboBox : public QComboBox {
 public:
  PortComboBox();

  void showPopup() override;
  // Reads the ports again; the selected port and the typed text stay.
  void refresh();

  // Return in the box runs this once.
  std::function<void()> onReturn;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  link::PortWatch watch_;

  QStringList items() const;
  QStringList itemTexts() const;
};

}  // namespace zorbel::app
