// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/rating_viewer.h"

#include <QByteArray>
#include <QChart>
#include <QChartView>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <memory>
#include <string>
#include <utility>

#include "core/cross_section.h"
#include "core/file_io.h"
#include "core/rating.h"
#include "core/rating_csv.h"
#include "core/status.h"

namespace xsrating {
namespace {

constexpr char kSaveFailedTitle[] = "保存未完成";
constexpr char kSectionOnly[] = "只画出了断面。";

// Column heads of the table, with units, and how each value is shown: the
// values of the result file (stage, area, discharge) as it writes them, the
// others to the millimetre or its like.
struct Column {
  const char* head;
  double HydraulicRow::*value;
  int decimals;  // -1: up to 15 significant digits, as the result file.
};
constexpr Column kColumns[] = {
    {"水位\n(m)", &HydraulicRow::stage, -1},
    {"面积\n(m²)", &HydraulicRow::area, -1},
    {"湿周\n(m)", &HydraulicRow::perimeter, 3},
    {"水力半径\n(m)", &HydraulicRow::hydraulic_radius, 3},
    {"水面宽\n(m)", &HydraulicRow::top_width, 3},
    {"平均流速\n(m/s)", &HydraulicRow::mean_velocity, 3},
    {"流量\n(m³/s)", &HydraulicRow::discharge, -1},
};

QString CellText(double value, int decimals) {
  if (decimals < 0) return QString::fromStdString(CsvNumber(value));
  return QString::number(value, 'f', decimals);
}

QChartView* NewChartView(const char* name, QWidget* parent) {
  auto* view = new QChartView(parent);
  view->setObjectName(QLatin1String(name));
  view->setRenderHint(QPainter::Antialiasing);
  view->setMinimumSize(320, 240);
  return view;
}

// A chart view keeps a chart it is given, and lets go of its old one without
// deleting it.
void Replace(QChartView* view, std::unique_ptr<QChart> chart) {
  QChart* old = view->chart();
  view->setChart(chart.release());
  delete old;
}

QPushButton* NewButton(const char* name, const char* text, QWidget* parent) {
  auto* button = new QPushButton(QString::fromUtf8(text), parent);
  button->setObjectName(QLatin1String(name));
  button->setAutoDefault(false);
  return button;
}

QString PlatformSaveDialog(QWidget* parent, const QString& caption,
                           const QString& suggested, const QString& filter,
                           const QString& default_suffix) {
  QFileDialog dialog(parent, caption, QString(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // A name typed without an extension gets the file's, before the dialog
  // asks whether to replace an existing file.
  dialog.setDefaultSuffix(default_suffix);
  if (!suggested.isEmpty()) dialog.selectFile(suggested);
  if (dialog.exec() != QDialog::Accepted) return QString();
  return dialog.selectedFiles().value(0);
}

}  // namespace

RatingViewer::RatingViewer(MessageSink* sink, SavePathChooser choose_path,
                           QWidget* parent)
    : QWidget(parent, Qt::Window),
      sink_(sink),
      choose_path_(choose_path ? std::move(choose_path) : PlatformSaveDialog) {
  setWindowTitle(QStringLiteral("断面与水位流量关系"));
  // A side window: closing the main window ends the program even while this
  // one is open.
  setAttribute(Qt::WA_QuitOnClose, false);
  resize(1100, 860);

  message_ = new QLabel(this);
  message_->setObjectName(QStringLiteral("Message"));
  message_->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
  message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // A long path in the reader's message must not widen the window.
  message_->setWordWrap(true);

  section_view_ = NewChartView("SectionChart", this);
  discharge_view_ = NewChartView("DischargeChart", this);
  area_view_ = NewChartView("AreaChart", this);

  table_ = new QTableWidget(0, std::size(kColumns), this);
  table_->setObjectName(QStringLiteral("Table"));
  QStringList heads;
  for (const Column& column : kColumns) heads << QString::fromUtf8(column.head);
  table_->setHorizontalHeaderLabels(heads);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  table_->verticalHeader()->setVisible(false);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);

  save_png_ = NewButton("SavePng", "保存图 (PNG)…", this);
  save_svg_ = NewButton("SaveSvg", "保存图 (SVG)…", this);
  save_csv_ = NewButton("SaveCsv", "保存表 (CSV)…", this);
  connect(save_png_, &QPushButton::clicked, this,
          [this] { Save(FileKind::kPng); });
  connect(save_svg_, &QPushButton::clicked, this,
          [this] { Save(FileKind::kSvg); });
  connect(save_csv_, &QPushButton::clicked, this,
          [this] { Save(FileKind::kCsv); });

  auto* curves = new QWidget(this);
  auto* curves_layout = new QHBoxLayout(curves);
  curves_layout->setContentsMargins(0, 0, 0, 0);
  curves_layout->addWidget(discharge_view_);
  curves_layout->addWidget(area_view_);

  // The user may give the plots or the table more room.
  auto* splitter = new QSplitter(Qt::Vertical, this);
  splitter->addWidget(section_view_);
  splitter->addWidget(curves);
  splitter->addWidget(table_);
  splitter->setStretchFactor(0, 3);
  splitter->setStretchFactor(1, 3);
  splitter->setStretchFactor(2, 2);
  splitter->setChildrenCollapsible(false);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(message_, 1);
  buttons->addWidget(save_png_);
  buttons->addWidget(save_svg_);
  buttons->addWidget(save_csv_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter, 1);
  layout->addLayout(buttons);

  ShowFigure();
}

QString RatingViewer::message() const { return message_->text(); }

void RatingViewer::Show(const ViewRequest& request) {
  const RunParameters& params = request.parameters;
  data_file_path_ = params.data_file_path;
  figure_ = FigureData();
  QString message;

  const QString file_name =
      QFileInfo(QString::fromStdString(params.data_file_path)).fileName();
  setWindowTitle(
      file_name.isEmpty()
          ? QStringLiteral("断面与水位流量关系")
          : QStringLiteral("断面与水位流量关系 - %1").arg(file_name));

  CrossSection section;
  if (Status read = ReadCrossSection(params.data_file_path, &section);
      !read.ok()) {
    message = QString::fromStdString(read.message());
  } else if (!request.not_numbers.isEmpty()) {
    figure_.section = std::move(section);
    QStringList quoted;
    for (const QString& name : request.not_numbers) {
      quoted << QStringLiteral("“%1”").arg(name);
    }
    message =
        QString::fromUtf8(kSectionOnly) +
        QStringLiteral("%1中不是数字。").arg(quoted.join(QStringLiteral("和")));
  } else {
    // The run's rating, without its message box and without changing the
    // main window's parameters.
    Rating rating;
    const Status rated = RateSection(std::move(section), params, &rating);
    figure_.section = std::move(rating.section);
    figure_.rows = std::move(rating.hydraulic_rows);
    if (!rated.ok()) {
      message = QString::fromUtf8(kSectionOnly) +
                QString::fromStdString(rated.message());
    } else if (ExceedsStageLimit(params.stage_count)) {
      message = QStringLiteral("点子数量超过 100，按 %1 个计算。")
                    .arg(rating.stage_count);
    }
  }
  message_->setText(message);
  ShowFigure();
}

void RatingViewer::ShowFigure() {
  Replace(section_view_, MakeSectionChart(figure_));
  Replace(discharge_view_, MakeDischargeChart(figure_));
  Replace(area_view_, MakeAreaChart(figure_));
  FillTable();

  const bool has_rows = !figure_.rows.empty();
  discharge_view_->parentWidget()->setVisible(has_rows);
  table_->setVisible(has_rows);
  save_png_->setEnabled(!figure_.section.points.empty());
  save_svg_->setEnabled(!figure_.section.points.empty());
  save_csv_->setEnabled(has_rows);
}

void RatingViewer::FillTable() {
  table_->setRowCount(static_cast<int>(figure_.rows.size()));
  for (int r = 0; r < table_->rowCount(); ++r) {
    const HydraulicRow& row = figure_.rows[r];
    for (int c = 0; c < static_cast<int>(std::size(kColumns)); ++c) {
      const Column& column = kColumns[c];
      auto* item =
          new QTableWidgetItem(CellText(row.*column.value, column.decimals));
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table_->setItem(r, c, item);
    }
  }
}

void RatingViewer::Save(FileKind kind) {
  struct Kind {
    const char* extension;
    const char* caption;
    const char* filter;
  };
  static constexpr Kind kKinds[] = {
      {".png", "保存图", "PNG 图片 (*.png)"},
      {".svg", "保存图", "SVG 矢量图 (*.svg)"},
      {".csv", "保存水力要素表", "CSV 表格 (*.csv)"},
  };
  const Kind& k = kKinds[static_cast<int>(kind)];
  const QString suggested = data_file_path_.empty()
                                ? QString()
                                : QString::fromStdString(RatingFilePath(
                                      data_file_path_, k.extension));
  const QString path = choose_path_(this, QString::fromUtf8(k.caption),
                                    suggested, QString::fromUtf8(k.filter),
                                    QString::fromLatin1(k.extension + 1));
  if (path.isEmpty()) return;

  QByteArray bytes;
  switch (kind) {
    case FileKind::kPng:
      bytes = FigurePng(figure_);
      break;
    case FileKind::kSvg:
      bytes = FigureSvg(figure_, QFileInfo(path).completeBaseName());
      break;
    case FileKind::kCsv:
      bytes = QByteArray::fromStdString(RatingTableCsv(figure_.rows));
      break;
  }
  const Status saved = SaveFileAtomically(
      path.toStdString(), std::string_view(bytes.constData(), bytes.size()));
  if (!saved.ok()) sink_->ShowWarning(saved.message(), kSaveFailedTitle);
}

}  // namespace xsrating
