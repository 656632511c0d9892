// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_UI_ZONES_DIALOG_H_
#define XSRATING_UI_ZONES_DIALOG_H_

// The roughness zones of the main window: a small table of breakpoint
// distance and n, the method, and loading and saving the zones file of the
// command line (--zones).

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "core/base/status.h"
#include "core/base/types.h"
#include "core/run/run.h"

class QComboBox;
class QTableWidget;

namespace xsrating {

// Asks for a file to open (`save` false) or to save to: the parent, the
// caption and the folder or file to start from; returns the chosen path,
// empty when cancelled.
using ZonesFileChooser = std::function<QString(
    QWidget* parent, const QString& caption, const QString& start, bool save)>;

// A modal dialog. Its table ("Zones", columns distance and n) holds one zone
// a row; "AddRow" and "RemoveRow" add a row at the end and remove the
// current one; "Method" chooses 分区 or 综合; "Load" and "Save" read and
// write a zones file; "Clear" empties the table, which OK then takes as no
// zones (one roughness for the whole section, from the roughness box).
// OK accepts only what ZonesFromRows accepts (no zones at all included);
// otherwise its message goes through the sink and the dialog stays open.
class ZonesDialog : public QDialog {
  Q_OBJECT

 public:
  // `sink` must outlive the dialog; `choose_file` defaults to the platform's
  // file dialogs. `folder` is where file dialogs start.
  ZonesDialog(MessageSink* sink, std::string folder,
              ZonesFileChooser choose_file = {}, QWidget* parent = nullptr);

  // Fills the table and the method.
  void SetZones(const std::vector<RoughnessZone>& zones, ZoneMethod method);
  // The zones of the table: ZonesFromRows.
  Status ReadTable(std::vector<RoughnessZone>* zones) const;
  ZoneMethod method() const;

  // What the buttons do once a file is chosen: fill the table from the zones
  // file at `path` (UTF-8), or save the table's zones there. A failure is
  // told through the sink and changes nothing.
  void Load(const std::string& path);
  void Save(const std::string& path);

  void accept() override;

  // The zones accepted by OK.
  const std::vector<RoughnessZone>& zones() const { return zones_; }

 private:
  void AddRow(const QString& from, const QString& roughness);

  MessageSink* sink_;
  std::string folder_;
  ZonesFileChooser choose_file_;
  QTableWidget* table_ = nullptr;
  QComboBox* method_ = nullptr;
  std::vector<RoughnessZone> zones_;
};

}  // namespace xsrating

#endif  // XSRATING_UI_ZONES_DIALOG_H_
