// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/rating_viewer.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/base/status.h"
#include "figure/charts.h"
#include "figure/svg_painter.h"
#include "form/viewer.h"
#include "plot/chart_view.h"
#include "plot/rating_figure.h"
#include "ui/file_dialogs.h"
#include "ui/fonts.h"
#include "ui/message_box_sink.h"

namespace xsrating {
namespace {

// The viewer's size when the screen has room for it.
constexpr QSize kPreferredSize(kViewerPreferredWidth, kViewerPreferredHeight);

ChartView* NewChartView(const QString& name, QWidget* parent) {
  auto* view = new ChartView(parent);
  view->setObjectName(name);
  // Small enough that the viewer fits a 1280 x 800 screen at twice the scale.
  view->setMinimumSize(240, 160);
  return view;
}

QPushButton* NewButton(const char* name, const char* text, QWidget* parent) {
  auto* button = new QPushButton(QString::fromUtf8(text), parent);
  button->setObjectName(QLatin1String(name));
  // Enter and Return press the focused button, as Space does.
  button->setAutoDefault(true);
  return button;
}

}  // namespace

QRect ViewerGeometry(const QSize& preferred, const QRect& available,
                     const QRect& owner, const QMargins& frame) {
  const ScreenRect outer =
      ViewerFrame(preferred.width(), preferred.height(),
                  {available.left(), available.top(), available.width(),
                   available.height()},
                  {owner.left(), owner.top(), owner.width(), owner.height()},
                  {frame.left(), frame.top(), frame.right(), frame.bottom()});
  return QRect(outer.left, outer.top, outer.width, outer.height)
      .marginsRemoved(frame);
}

RatingViewer::RatingViewer(MessageSink* sink, SavePathChooser choose_path,
                           QWidget* parent)
    : QWidget(parent, Qt::Window),
      own_sink_(sink == nullptr ? std::make_unique<MessageBoxSink>(this)
                                : nullptr),
      sink_(sink == nullptr ? own_sink_.get() : sink),
      choose_path_(choose_path ? std::move(choose_path)
                               : ::xsrating::ChooseSavePath),
      controller_(std::make_unique<ViewerController>(
          static_cast<ViewerView&>(*this), *sink_)) {
  setWindowTitle(QStringLiteral("断面与水位流量关系"));
  // A side window: closing the main window ends the program even while this
  // one is open.
  setAttribute(Qt::WA_QuitOnClose, false);
  // One sans-serif CJK face for every text, whatever the locale.
  setFont(InterfaceFont());
  resize(kPreferredSize);

  // Above the charts, where it is seen at any size.
  message_ = new QLabel(this);
  message_->setObjectName(QStringLiteral("Message"));
  message_->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
  message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // A long path in the reader's message must not widen the window.
  message_->setWordWrap(true);
  message_->setVisible(false);

  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("Status"));
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  status_->setWordWrap(true);

  section_view_ = NewChartView(QStringLiteral("SectionChart"), this);
  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("GaugingsSummary"));
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  summary_->setWordWrap(true);
  flow_summary_ = new QLabel(this);
  flow_summary_->setObjectName(QStringLiteral("FlowSummary"));
  flow_summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  flow_summary_->setWordWrap(true);
  hydrograph_view_ =
      NewChartView(QString::fromLatin1(figure::kHydrographChartId), this);
  hydrograph_view_->hide();

  table_ = new QTableWidget(this);
  table_->setObjectName(QStringLiteral("Table"));
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  table_->verticalHeader()->setVisible(false);
  // Rows a line of text high with a little air, not the style's roomy
  // default, so that a screen of 800 pixels shows ten and more.
  const int row_height = table_->fontMetrics().lineSpacing() + 6;
  table_->verticalHeader()->setMinimumSectionSize(row_height);
  table_->verticalHeader()->setDefaultSectionSize(row_height);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);

  save_png_ = NewButton("SavePng", "保存图 (PNG)…", this);
  save_svg_ = NewButton("SaveSvg", "保存图 (SVG)…", this);
  save_csv_ = NewButton("SaveCsv", "保存表 (CSV)…", this);
  import_gaugings_ = NewButton("ImportGaugings", "导入实测流量…", this);
  save_report_ = NewButton("SaveReport", "保存率定表 (CSV)…", this);
  convert_flow_ = NewButton("ConvertFlow", "推求流量…", this);
  save_flow_table_ = NewButton("SaveFlowTable", "保存流量表 (CSV)…", this);
  const std::pair<QPushButton*, ViewerFile> saves[] = {
      {save_png_, ViewerFile::kPng},
      {save_svg_, ViewerFile::kSvg},
      {save_csv_, ViewerFile::kCsv},
      {save_report_, ViewerFile::kReport},
      {save_flow_table_, ViewerFile::kFlowTable}};
  for (const auto& [button, file] : saves) {
    connect(button, &QPushButton::clicked, this,
            [this, file] { controller_->PressSave(file); });
  }
  connect(import_gaugings_, &QPushButton::clicked, this,
          [this] { controller_->PressImport(); });
  connect(convert_flow_, &QPushButton::clicked, this,
          [this] { controller_->PressConvert(); });

  // The section with the table beside it, the two curves below; the user may
  // give any of them more room.
  auto* top = new QSplitter(Qt::Horizontal, this);
  top->addWidget(section_view_);
  top->addWidget(table_);
  top->setChildrenCollapsible(false);
  // The curves' views are made as the figure first has each chart.
  curves_ = new QSplitter(Qt::Horizontal, this);
  curves_->setChildrenCollapsible(false);
  // A stage record's hydrograph has the curves' room, on a tab of its own:
  // a third row would leave neither readable on a screen of 800 pixels. The
  // tabs show only when there are two.
  lower_ = new QTabWidget(this);
  lower_->setObjectName(QStringLiteral("Lower"));
  lower_->setTabBarAutoHide(true);
  lower_->setDocumentMode(true);
  lower_->addTab(curves_, QStringLiteral("水位流量关系曲线"));
  auto* splitter = new QSplitter(Qt::Vertical, this);
  splitter->addWidget(top);
  splitter->addWidget(lower_);
  splitter->setChildrenCollapsible(false);
  // The curves as tall as the section, so that four of them side by side
  // (with gaugings) stay readable on a screen of 800 pixels.
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 1);

  // The gaugings' and the stage record's buttons on a row of their own, so
  // that a window 640 pixels wide still has room for every button.
  auto* checks = new QHBoxLayout;
  checks->addWidget(import_gaugings_);
  checks->addWidget(save_report_);
  checks->addSpacing(12);
  checks->addWidget(convert_flow_);
  checks->addWidget(save_flow_table_);
  checks->addStretch(1);
  auto* figures = new QHBoxLayout;
  figures->addWidget(status_, 1);
  figures->addWidget(save_png_);
  figures->addWidget(save_svg_);
  figures->addWidget(save_csv_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(message_);
  layout->addWidget(splitter, 1);
  layout->addWidget(summary_);
  layout->addWidget(flow_summary_);
  layout->addLayout(checks);
  layout->addLayout(figures);

  Refresh();
}

void RatingViewer::PlaceOver(const QWidget* owner) {
  const QScreen* screen = owner->screen();
  if (screen == nullptr) return;
  // The frame this window will get is not known before it is shown; the
  // owner's is the best guess, and nothing at all without a window manager.
  const QRect frame = owner->frameGeometry();
  const QRect inner = owner->geometry();
  const QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(),
                         frame.right() - inner.right(),
                         frame.bottom() - inner.bottom());
  setGeometry(ViewerGeometry(kPreferredSize, screen->availableGeometry(), frame,
                             margins));
}

QString RatingViewer::status() const { return status_->text(); }

QString RatingViewer::message() const { return message_->text(); }

void RatingViewer::Show(const ViewRequest& request) {
  controller_->Show(request);
}

void RatingViewer::ShowGaugings(const std::string& path) {
  controller_->ImportGaugings(path);
}

void RatingViewer::ShowStageRecord(const std::string& path) {
  controller_->ConvertStageRecord(path);
}

namespace {

figure::FigureRequest FigureOf(const ViewerContent& content,
                               std::string title = {}) {
  return {.section = content.section,
          .rows = content.rows,
          .zones = content.zones,
          .analysis = content.analysis,
          .hydrograph = content.hydrograph,
          .heading = content.heading,
          .title = std::move(title)};
}

}  // namespace

void RatingViewer::Refresh() {
  const ViewerController& viewer = *controller_;
  setWindowTitle(QString::fromStdString(viewer.caption()));
  figure_ = FigureOf(viewer.content());
  ShowCharts();
  const QString message = QString::fromStdString(viewer.message());
  message_->setText(message);
  message_->setVisible(!message.isEmpty());
  summary_->setText(QString::fromStdString(viewer.summary()));
  summary_->setVisible(viewer.content().analysis.has_value());
  flow_summary_->setText(QString::fromStdString(viewer.flow_summary()));
  flow_summary_->setVisible(viewer.flow().has_value());
  status_->setText(QString::fromStdString(viewer.status()));
  FillTable();

  const bool has_rows = viewer.HasTable();
  if (has_rows && lower_->isHidden()) {
    // Shown again, the curves would get back only their least height.
    if (auto* rows = qobject_cast<QSplitter*>(lower_->parentWidget())) {
      rows->setSizes({10000, 10000});
    }
  }
  lower_->setVisible(has_rows);
  ShowHydrographTab(viewer.content().hydrograph.has_value());
  // The section alone has the whole window when there is no table.
  table_->setVisible(has_rows);
  save_png_->setEnabled(viewer.CanSave(ViewerFile::kPng));
  save_svg_->setEnabled(viewer.CanSave(ViewerFile::kSvg));
  save_csv_->setEnabled(viewer.CanSave(ViewerFile::kCsv));
  save_report_->setEnabled(viewer.CanSave(ViewerFile::kReport));
  import_gaugings_->setEnabled(viewer.CanImport());
  convert_flow_->setEnabled(viewer.CanConvert());
  save_flow_table_->setEnabled(viewer.CanSave(ViewerFile::kFlowTable));
  import_gaugings_->setToolTip(QString::fromStdString(viewer.ImportHint()));
}

void RatingViewer::ShowHydrographTab(bool shown) {
  const int index = lower_->indexOf(hydrograph_view_);
  if (!shown) {
    if (index >= 0) lower_->removeTab(index);
    return;
  }
  // A record just converted is what the user wants to see; converted again
  // by a new table, the tab chosen stays.
  if (index < 0) {
    lower_->addTab(hydrograph_view_, QStringLiteral("水位流量过程线"));
    lower_->setCurrentWidget(hydrograph_view_);
    // Three fifths below, as on Windows: the hydrograph wants the height
    // more than the section does.
    if (auto* rows = qobject_cast<QSplitter*>(lower_->parentWidget())) {
      rows->setSizes({20000, 30000});
    }
  }
}

void RatingViewer::ShowCharts() {
  std::vector<figure::Chart> charts = figure::MakeFigureCharts(figure_);
  section_view_->SetChart(std::move(charts.front()));
  const bool has_hydrograph = charts.back().id == figure::kHydrographChartId;
  if (has_hydrograph) {
    hydrograph_view_->SetChart(std::move(charts.back()));
    charts.pop_back();
  }
  // Each further chart in the view of its id; views of charts the figure no
  // longer has are hidden.
  for (ChartView* view : curves_->findChildren<ChartView*>()) view->hide();
  for (size_t i = 1; i < charts.size(); ++i) {
    const QString name = QString::fromStdString(charts[i].id);
    auto* view = curves_->findChild<ChartView*>(name);
    if (view == nullptr) {
      view = NewChartView(name, curves_);
      curves_->addWidget(view);
    }
    view->SetChart(std::move(charts[i]));
    view->show();
  }
}

void RatingViewer::FillTable() {
  const std::vector<ViewerTableColumn> columns = controller_->Table();
  table_->setColumnCount(static_cast<int>(columns.size()));
  QStringList heads;
  for (const ViewerTableColumn& column : columns) {
    heads << QString::fromStdString(column.head);
  }
  table_->setHorizontalHeaderLabels(heads);
  table_->setRowCount(
      static_cast<int>(columns.empty() ? 0 : columns.front().cells.size()));
  for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
    for (int r = 0; r < table_->rowCount(); ++r) {
      auto* item =
          new QTableWidgetItem(QString::fromStdString(columns[c].cells[r]));
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table_->setItem(r, c, item);
    }
  }
}

std::string RatingViewer::ChooseOpenPath(const OpenDialogRequest& request) {
  QStringList filters;
  for (const OpenDialogRequest::Filter& filter : request.filters) {
    filters << QString::fromStdString(filter.text);
  }
  const QString folder = request.folder.empty()
                             ? QDir::currentPath()
                             : QString::fromStdString(request.folder);
  return ::xsrating::ChooseOpenPath(this,
                                    QString::fromStdString(request.caption),
                                    folder, filters.join(QStringLiteral(";;")))
      .toStdString();
}

std::string RatingViewer::ChooseSavePath(const SaveDialogRequest& request) {
  return choose_path_(this, QString::fromStdString(request.caption),
                      QString::fromStdString(request.suggested),
                      QString::fromStdString(request.filter_text),
                      QString::fromStdString(request.extension.substr(1)))
      .toStdString();
}

Status RatingViewer::FigureBytes(ViewerFile file, const ViewerContent& content,
                                 const std::string& title, std::string* bytes) {
  const figure::FigureRequest figure = FigureOf(content, title);
  if (file == ViewerFile::kPng) return FigurePng(figure, bytes);
  *bytes = figure::FigureSvg(figure);
  return Status::Ok();
}

}  // namespace xsrating
