// The libraries panel of Multiple In over TLibrariesPanel: the folder
// chooser (drive box, the folder, its folder list and its entries), the
// sorted list of libraries NameBox, and "Hide Libraries". Selecting rows of
// NameBox selects the libraries; with a single-select list a click opens
// that library, with a multi-select list a double click starts Go.
#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace vorne {

class TLibrariesPanel;

class TLibrariesPanelView : public QWidget {
  Q_OBJECT

 public:
  explicit TLibrariesPanelView(TLibrariesPanel& model, QWidget* parent = nullptr);
  ~TLibrariesPanelView() override;
  void refresh();

  QComboBox* DriveBox() const { return drives_; }
  QListWidget* FolderList() const { return folders_; }
  QListWidget* Entries() const { return entries_; }
  QListWidget* NameBox() const { return names_; }

 signals:
  void goRequested();
  void hideRequested();
  // A library was opened by a click (the volume list shows it).
  void libraryOpened();

 private:
  TLibrariesPanel& model_;
  QComboBox* drives_;
  QLabel* folder_;
  QListWidget* folders_;
  QListWidget* entries_;
  QListWidget* names_;
  QPushButton* hide_;
  bool syncing_ = false;
};

}  // namespace vorne
