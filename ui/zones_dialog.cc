// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/zones_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <utility>

#include "core/base/file_io.h"
#include "core/hydraulics/roughness_zones.h"
#include "core/input/zones_file.h"
#include "core/output/own_files.h"
#include "core/output/zones_file_text.h"
#include "form/zones.h"

namespace xsrating {
namespace {

constexpr char kZonesProblemTitle[] = "分区糙率有误";
constexpr char kFileFilter[] = "文本文件 (*.txt *.csv);;所有文件 (*)";

QString PlatformFileDialog(QWidget* parent, const QString& caption,
                           const QString& start, bool save) {
  const QString filter = QString::fromUtf8(kFileFilter);
  return save ? QFileDialog::getSaveFileName(parent, caption, start, filter)
              : QFileDialog::getOpenFileName(parent, caption, start, filter);
}

QPushButton* NewButton(const char* name, const char* text, QWidget* parent) {
  auto* button = new QPushButton(QString::fromUtf8(text), parent);
  button->setObjectName(QLatin1String(name));
  button->setAutoDefault(false);
  return button;
}

}  // namespace

ZonesDialog::ZonesDialog(MessageSink* sink, std::string folder,
                         ZonesFileChooser choose_file, QWidget* parent)
    : QDialog(parent),
      sink_(sink),
      folder_(std::move(folder)),
      choose_file_(choose_file ? std::move(choose_file) : PlatformFileDialog) {
  setWindowTitle(QStringLiteral("分区糙率"));
  auto* note = new QLabel(
      QStringLiteral(
          "每行一个分区：从分区起点距到下一分区起点距（最后一个到断面"
          "终点）的糙率。第一个分区起点距不能大于断面起点距。"),
      this);
  note->setWordWrap(true);

  table_ = new QTableWidget(0, 2, this);
  table_->setObjectName(QStringLiteral("Zones"));
  table_->setHorizontalHeaderLabels(
      {QStringLiteral("分区起点距 (m)"), QStringLiteral("糙率 n")});
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);

  method_ = new QComboBox(this);
  method_->setObjectName(QStringLiteral("Method"));
  method_->addItem(QStringLiteral("分区（各分区流量相加）"),
                   static_cast<int>(ZoneMethod::kSubsection));
  method_->addItem(QStringLiteral("综合（全断面综合糙率）"),
                   static_cast<int>(ZoneMethod::kComposite));

  auto* add = NewButton("AddRow", "添加一行", this);
  auto* remove = NewButton("RemoveRow", "删除此行", this);
  auto* clear = NewButton("Clear", "不分区", this);
  auto* load = NewButton("Load", "读入文件…", this);
  auto* save = NewButton("Save", "存为文件…", this);
  connect(add, &QPushButton::clicked, this,
          [this] { AddRow(QString(), QString()); });
  connect(remove, &QPushButton::clicked, this, [this] {
    if (table_->currentRow() >= 0) table_->removeRow(table_->currentRow());
  });
  connect(clear, &QPushButton::clicked, this,
          [this] { table_->setRowCount(0); });
  connect(load, &QPushButton::clicked, this, [this] {
    const QString path = choose_file_(this, QStringLiteral("读入分区糙率文件"),
                                      QString::fromStdString(folder_), false);
    if (!path.isEmpty()) Load(path.toStdString());
  });
  connect(save, &QPushButton::clicked, this, [this] {
    const QString path = choose_file_(this, QStringLiteral("保存分区糙率文件"),
                                      QString::fromStdString(folder_), true);
    if (!path.isEmpty()) Save(path.toStdString());
  });

  auto* buttons =
      new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &ZonesDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ZonesDialog::reject);

  auto* rows = new QHBoxLayout;
  for (QPushButton* button : {add, remove, clear}) rows->addWidget(button);
  auto* files = new QHBoxLayout;
  files->addWidget(new QLabel(QStringLiteral("算法"), this));
  files->addWidget(method_, 1);
  files->addWidget(load);
  files->addWidget(save);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(note);
  layout->addWidget(table_, 1);
  layout->addLayout(rows);
  layout->addLayout(files);
  layout->addWidget(buttons);
  resize(460, 420);
}

void ZonesDialog::AddRow(const QString& from, const QString& roughness) {
  const int row = table_->rowCount();
  table_->insertRow(row);
  table_->setItem(row, 0, new QTableWidgetItem(from));
  table_->setItem(row, 1, new QTableWidgetItem(roughness));
}

void ZonesDialog::SetZones(const std::vector<RoughnessZone>& zones,
                           ZoneMethod method) {
  table_->setRowCount(0);
  for (const ZoneRowTexts& row : ZoneRows(zones)) {
    AddRow(QString::fromStdString(row.from),
           QString::fromStdString(row.roughness));
  }
  method_->setCurrentIndex(method_->findData(static_cast<int>(method)));
}

ZoneMethod ZonesDialog::method() const {
  return static_cast<ZoneMethod>(method_->currentData().toInt());
}

Status ZonesDialog::ReadTable(std::vector<RoughnessZone>* zones) const {
  std::vector<ZoneRowTexts> rows;
  for (int row = 0; row < table_->rowCount(); ++row) {
    const auto cell = [&](int column) {
      const QTableWidgetItem* item = table_->item(row, column);
      return item == nullptr ? std::string() : item->text().toStdString();
    };
    rows.push_back({cell(0), cell(1)});
  }
  return ZonesFromRows(rows, zones);
}

void ZonesDialog::Load(const std::string& path) {
  std::vector<RoughnessZone> zones;
  if (const Status read = ReadRoughnessZones(path, &zones); !read.ok()) {
    sink_->ShowWarning(read.message(), kZonesProblemTitle);
    return;
  }
  SetZones(zones, method());
}

void ZonesDialog::Save(const std::string& path) {
  std::vector<RoughnessZone> zones;
  Status status = ReadTable(&zones);
  if (status.ok() && zones.empty()) {
    status = Status::Error("表中没有分区，没有可保存的分区糙率。");
  }
  if (status.ok()) {
    status = SaveOwnFile(OwnFile::kZones, path, RoughnessZonesText(zones));
  }
  if (!status.ok()) sink_->ShowWarning(status.message(), kZonesProblemTitle);
}

void ZonesDialog::accept() {
  std::vector<RoughnessZone> zones;
  if (const Status status = ReadTable(&zones); !status.ok()) {
    sink_->ShowWarning(status.message(), kZonesProblemTitle);
    return;
  }
  zones_ = std::move(zones);
  QDialog::accept();
}

}  // namespace xsrating
