#include <QLabel>
#include <QVBoxLayout>

#include "auxiliary_windows.h"
#include "object_names.h"

namespace zorbel::app {

namespace {

void addText(QVBoxLayout* layout, const QString& text, bool bold = false) {
  auto* label = new QLabel(text);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  if (bold) {
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
  }
  layout->addWidget(label);
}

}  // namespace

RemoteUpdateHelpWindow::RemoteUpdateHelpWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(names::kRemoteUpdateHelpWindow);
  setWindowTitle("Zorbel+ remote firmware upload procedure");
  auto* layout = new QVBoxLayout(this);
  layout->setSpacing(3);

  addText(layout, "How this works:", true);
  addText(
      layout,
      "A remote update brings new firmware and a new configuration to the device over its network "
      "interface, using the TFTP protocol (UDP port 69). The device needs the additional flash "
      "memory chip "
      "on its board for this. You build one remote update file that holds the current firmware "
      "hash file "
      "and the current configuration, and both are uploaded together, so their versions always "
      "match.");

  addText(layout, "STEP1: Building \"remote update file\"", true);
  addText(layout,
          "1. Make your configuration changes in the fields of this application (they can be "
          "imported from and "
          "exported to a file).\n"
          "2. Choose \"Remote update\", then \"Build remote update file\".\n"
          "3. Select the firmware hash file from the configurator's folder.\n"
          "4. Select where the remote update file is to be saved.\n"
          "5. The file now holds the firmware hash file, the configuration settings and the "
          "checksums that "
          "verify them after the upload.");

  addText(layout, "STEP2: Upload your update file to Zorbel+ device", true);
  addText(layout,
          "1. Connect to the device with telnet and give the command \"update enable\": the device "
          "checks its "
          "flash memory and starts its TFTP service.\n"
          "2. Upload the file with a TFTP client.\n"
          "3. When the upload is done, the telnet window confirms it and, some 3 to 4 seconds "
          "later, shows the "
          "result of the firmware checksum verification. Burn the firmware only if the checksums "
          "are reported "
          "correct.");

  addText(layout, "STEP3: Write firmware to program memory", true);
  addText(layout,
          "Give the telnet command \"update burn\" to write the firmware. The device does not "
          "respond for about "
          "15 to 20 seconds, then restarts with the new firmware and configuration.");

  addText(layout,
          "Warning: a firmware and a configuration of versions that do not belong together leave "
          "the device "
          "needing a firmware reload over its USB connection.",
          true);
  layout->addStretch();
  fixWindowSize(*this, QSize(591, 406));
}

}  // namespace zorbel::app
