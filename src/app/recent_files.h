#pragma once
// The configuration files saved or read last, newest first, kept between runs
// and offered in a submenu.
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QMenu;

namespace zorbel::app {

inline constexpr const char* kRecentFilesMenu = "recentFilesMenu";
inline constexpr int kRecentFilesKept = 8;

class RecentFiles : public QObject {
  Q_OBJECT

 public:
  // Adds the submenu "Recent files" to `menu`; choosing a file calls `open`.
  RecentFiles(QMenu* menu, std::function<void(const QString& path)> open);

  QStringList paths() const;
  void add(const QString& path);
  void remove(const QString& path);

 private:
  void store(const QStringList& paths);
  void fillMenu();

  QMenu* submenu_;
  std::function<void(const QString&)> open_;
};

}  // namespace zorbel::app
