// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/rating_viewer.h"

#include <QByteArray>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/base/date_time.h"
#include "core/base/file_io.h"
#include "core/base/number_text.h"
#include "core/base/status.h"
#include "core/hydraulics/hydraulic_table.h"
#include "core/hydraulics/rating.h"
#include "core/input/cross_section.h"
#include "core/output/own_files.h"
#include "core/output/rating_csv.h"
#include "core/output/rating_heading.h"
#include "core/output/rating_report.h"
#include "core/run/rating_warnings.h"
#include "core/run/survey_outputs.h"
#include "ui/file_dialogs.h"
#include "ui/fonts.h"
#include "ui/message_box_sink.h"

namespace xsrating {
namespace {

constexpr char kSaveFailedTitle[] = "保存未完成";
constexpr char kSectionOnly[] = "只画出了断面。";
constexpr char kImportFailedTitle[] = "实测流量未能导入";

// Column heads of the table, with units, and the decimals of each column as
// a hydrologist reads them: levels and lengths to the centimetre, areas and
// discharges to the 0.01 the result file rounds them to, radius and velocity
// to three places. A stage column shows more places when the survey's levels
// have them (at most `max_decimals`).
struct Column {
  const char* head;
  double HydraulicRow::*value;
  int decimals;
  int max_decimals;
};
constexpr Column kColumns[] = {
    {"水位\n(m)", &HydraulicRow::stage, 2, 4},
    {"面积\n(m²)", &HydraulicRow::area, 2, 2},
    {"湿周\n(m)", &HydraulicRow::perimeter, 2, 2},
    {"水力半径\n(m)", &HydraulicRow::hydraulic_radius, 3, 3},
    {"水面宽\n(m)", &HydraulicRow::top_width, 2, 2},
    {"平均流速\n(m/s)", &HydraulicRow::mean_velocity, 3, 3},
    {"流量\n(m³/s)", &HydraulicRow::discharge, 2, 2},
    // Shown only with roughness zones.
    {"综合糙率\nn_eq", &HydraulicRow::equivalent_roughness, 4, 4},
    {"动能修正\n系数 α", &HydraulicRow::energy_coefficient, 3, 3},
};
// The columns every table shows; the others belong to roughness zones.
constexpr int kPlainColumns = 7;

// The viewer's size when the screen has room for it.
constexpr QSize kPreferredSize(1100, 860);

QChartView* NewChartView(const QString& name, QWidget* parent) {
  auto* view = new QChartView(parent);
  view->setObjectName(name);
  view->setRenderHint(QPainter::Antialiasing);
  // Small enough that the viewer fits a 1280 x 800 screen at twice the scale.
  view->setMinimumSize(240, 160);
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
  // Enter and Return press the focused button, as Space does.
  button->setAutoDefault(true);
  return button;
}

// Adds `sentence` to the message line's `text`, a space apart.
void AddSentence(const QString& sentence, QString* text) {
  if (!text->isEmpty()) *text += QLatin1Char(' ');
  *text += sentence;
}

}  // namespace

int ColumnDecimals(const std::vector<double>& values, int decimals,
                   int max_decimals) {
  for (; decimals < max_decimals; ++decimals) {
    const bool exact = std::all_of(values.begin(), values.end(), [&](double v) {
      const double shown = QString::number(v, 'f', decimals).toDouble();
      return std::abs(shown - v) <= 1e-9 * std::max(1.0, std::abs(v));
    });
    if (exact) break;
  }
  return decimals;
}

QRect ViewerGeometry(const QSize& preferred, const QRect& available,
                     const QRect& owner, const QMargins& frame) {
  const QSize room(available.width() - frame.left() - frame.right(),
                   available.height() - frame.top() - frame.bottom());
  QRect outer(QPoint(), preferred.boundedTo(room).grownBy(frame));
  outer.moveCenter(owner.center());
  // Inside the screen; the top edge, with the caption, last.
  if (outer.right() > available.right()) outer.moveRight(available.right());
  if (outer.left() < available.left()) outer.moveLeft(available.left());
  if (outer.bottom() > available.bottom()) outer.moveBottom(available.bottom());
  if (outer.top() < available.top()) outer.moveTop(available.top());
  return outer.marginsRemoved(frame);
}

RatingViewer::RatingViewer(MessageSink* sink, SavePathChooser choose_path,
                           QWidget* parent)
    : QWidget(parent, Qt::Window),
      own_sink_(sink == nullptr ? std::make_unique<MessageBoxSink>(this)
                                : nullptr),
      sink_(sink == nullptr ? own_sink_.get() : sink),
      choose_path_(choose_path ? std::move(choose_path) : ChooseSavePath) {
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

  table_ = new QTableWidget(0, std::size(kColumns), this);
  table_->setObjectName(QStringLiteral("Table"));
  QStringList heads;
  for (const Column& column : kColumns) heads << QString::fromUtf8(column.head);
  table_->setHorizontalHeaderLabels(heads);
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
  connect(save_png_, &QPushButton::clicked, this,
          [this] { Save(FileKind::kPng); });
  connect(save_svg_, &QPushButton::clicked, this,
          [this] { Save(FileKind::kSvg); });
  connect(save_csv_, &QPushButton::clicked, this,
          [this] { Save(FileKind::kCsv); });
  import_gaugings_ = NewButton("ImportGaugings", "导入实测流量…", this);
  save_report_ = NewButton("SaveReport", "保存率定表 (CSV)…", this);
  connect(save_report_, &QPushButton::clicked, this,
          [this] { Save(FileKind::kReport); });
  connect(import_gaugings_, &QPushButton::clicked, this, [this] {
    const QString folder =
        QFileInfo(QString::fromStdString(data_file_path_)).absolutePath();
    const QString path =
        ChooseOpenPath(this, QStringLiteral("导入实测流量"), folder,
                       QStringLiteral("文本文件 (*.txt *.csv);;所有文件 (*)"));
    if (!path.isEmpty()) ShowGaugings(path.toStdString());
  });

  // The section with the table beside it, the two curves below; the user may
  // give any of them more room.
  auto* top = new QSplitter(Qt::Horizontal, this);
  top->addWidget(section_view_);
  top->addWidget(table_);
  top->setChildrenCollapsible(false);
  // The curves' views are made as the figure first has each chart.
  curves_ = new QSplitter(Qt::Horizontal, this);
  curves_->setChildrenCollapsible(false);
  auto* splitter = new QSplitter(Qt::Vertical, this);
  splitter->addWidget(top);
  splitter->addWidget(curves_);
  splitter->setChildrenCollapsible(false);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(status_, 1);
  buttons->addWidget(import_gaugings_);
  buttons->addWidget(save_report_);
  buttons->addWidget(save_png_);
  buttons->addWidget(save_svg_);
  buttons->addWidget(save_csv_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(message_);
  layout->addWidget(splitter, 1);
  layout->addWidget(summary_);
  layout->addLayout(buttons);

  ShowFigure();
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
  const RunParameters& params = request.parameters;
  data_file_path_ = params.data_file_path;
  figure_ = FigureData();
  figure_.heading = RatingHeading(params);
  rating_.reset();
  params_ = params;
  checks_.reset();
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
  } else if (request.problems.any()) {
    figure_.section = std::move(section);
    message = QString::fromUtf8(kSectionOnly) +
              QString::fromStdString(DescribeInputProblems(request.problems)) +
              QStringLiteral("。");
  } else {
    // The run's rating, without its message box and without changing the
    // main window's parameters.
    Rating rating;
    const Status rated = RateSection(std::move(section), params, &rating);
    if (!rated.ok()) {
      message = QString::fromUtf8(kSectionOnly) +
                QString::fromStdString(rated.message());
    } else {
      if (ExceedsStageLimit(params.stage_count)) {
        message = QStringLiteral("点子数量超过 100，按 %1 个计算。")
                      .arg(rating.stage_count);
      }
      // What the run would warn about in its box after the closing message.
      for (const std::string& warning : RatingWarnings(rating, params)) {
        AddSentence(QString::fromStdString(warning), &message);
      }
    }
    figure_.section = rating.section;
    figure_.rows = rating.hydraulic_rows;
    figure_.zones = rating.zones;
    params_.stage_count = rating.stage_count;
    if (rated.ok()) rating_ = std::move(rating);
  }
  // The gaugings are checked against one roughness for the whole section.
  if (!params.zones.empty()) gaugings_path_.clear();
  if (rating_ && !gaugings_path_.empty()) {
    if (Status checked = CheckGaugings(gaugings_path_); !checked.ok()) {
      AddSentence(QString::fromStdString(checked.message()), &message);
    }
  }
  table_message_ = message;
  status_->clear();
  ShowFigure();
}

void RatingViewer::ShowGaugings(const std::string& path) {
  if (Status checked = CheckGaugings(path); !checked.ok()) {
    // What was shown stays, the gaugings checked before included.
    sink_->ShowWarning(checked.message(), kImportFailedTitle);
    return;
  }
  gaugings_path_ = path;
  ShowFigure();
}

Status RatingViewer::CheckGaugings(const std::string& path) {
  if (!rating_) {
    return Status::Error(
        "还没有算出水位流量关系，无法与实测流量核对。请先填好参数并查看断面与曲"
        "线。");
  }
  // The rating shown, not the survey as it is on disk now: the chart, the
  // table and the saved report must all show one version of the section.
  RatingAnalysis analysis;
  Status status = AnalyzeGaugings(*rating_, path, &analysis);
  RatingChecks checks;
  if (status.ok()) status = CheckRating(analysis, CheckLevels(), &checks);
  if (status.ok()) {
    figure_.analysis = std::move(analysis);
    checks_ = checks;
  }
  return status;
}

void RatingViewer::ShowFigure() {
  std::vector<FigureChart> charts = MakeFigureCharts(figure_);
  Replace(section_view_, std::move(charts.front().chart));
  // Each further chart in the view of its name; views of charts the figure
  // no longer has are hidden.
  for (QChartView* view : curves_->findChildren<QChartView*>()) view->hide();
  for (size_t i = 1; i < charts.size(); ++i) {
    auto* view = curves_->findChild<QChartView*>(charts[i].name);
    if (view == nullptr) {
      view = NewChartView(charts[i].name, curves_);
      curves_->addWidget(view);
    }
    Replace(view, std::move(charts[i].chart));
    view->show();
  }
  const std::optional<RatingAnalysis>& analysis = figure_.analysis;
  QString message = table_message_;
  if (analysis) {
    if (const std::optional<std::string> warning =
            ExtensionWarning(*analysis)) {
      AddSentence(QString::fromStdString(*warning), &message);
    }
  }
  message_->setText(message);
  message_->setVisible(!message.isEmpty());
  summary_->setText(analysis && checks_ ? QString::fromStdString(RatingSummary(
                                              *analysis, *checks_))
                                        : QString());
  summary_->setVisible(analysis.has_value());
  FillTable();

  const bool has_rows = !figure_.rows.empty();
  curves_->setVisible(has_rows);
  // The section alone has the whole window when there is no table.
  table_->setVisible(has_rows);
  save_png_->setEnabled(!figure_.section.points.empty());
  save_svg_->setEnabled(!figure_.section.points.empty());
  save_csv_->setEnabled(has_rows);
  // Checking the gaugings takes one roughness for the whole section.
  import_gaugings_->setEnabled(has_rows && params_.zones.empty());
  import_gaugings_->setToolTip(
      params_.zones.empty()
          ? QString()
          : QStringLiteral("分区糙率时暂不能导入实测流量率定糙率"));
  for (int c = kPlainColumns; c < table_->columnCount(); ++c) {
    table_->setColumnHidden(c, params_.zones.empty());
  }
  save_report_->setEnabled(figure_.analysis.has_value());
}

void RatingViewer::FillTable() {
  table_->setRowCount(static_cast<int>(figure_.rows.size()));
  for (int c = 0; c < static_cast<int>(std::size(kColumns)); ++c) {
    const Column& column = kColumns[c];
    std::vector<double> values;
    values.reserve(figure_.rows.size());
    for (const HydraulicRow& row : figure_.rows) {
      values.push_back(row.*column.value);
    }
    const int decimals =
        ColumnDecimals(values, column.decimals, column.max_decimals);
    for (int r = 0; r < table_->rowCount(); ++r) {
      // No flow has no equivalent roughness.
      auto* item = new QTableWidgetItem(
          std::isnan(values[r]) ? QString()
                                : QString::number(values[r], 'f', decimals));
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table_->setItem(r, c, item);
    }
  }
}

namespace {

// The viewer's figure files, drawn by the same code as its charts.
class QtFigureRenderer : public FigureRenderer {
 public:
  Status Render(const FigureRequest& request, std::string* bytes) override {
    FigureData data;
    data.section = request.rating->section;
    data.rows = request.rating->hydraulic_rows;
    data.zones = request.rating->zones;
    if (request.analysis != nullptr) data.analysis = *request.analysis;
    data.heading = request.heading;
    const QByteArray drawn =
        request.format == "png"
            ? FigurePng(data)
            : FigureSvg(data, QString::fromStdString(request.title));
    if (drawn.isEmpty()) {
      return Status::Error("图没有画成（可能是内存不够），没有保存。");
    }
    bytes->assign(drawn.constData(), static_cast<size_t>(drawn.size()));
    return Status::Ok();
  }
};

}  // namespace

void RatingViewer::Save(FileKind kind) {
  struct Kind {
    const char* extension;
    const char* caption;
    const char* filter;
    OwnFile own;  // What may be replaced at the chosen path.
  };
  static constexpr Kind kKinds[] = {
      {".png", "保存图", "PNG 图片 (*.png)", OwnFile::kFigure},
      {".svg", "保存图", "SVG 矢量图 (*.svg)", OwnFile::kFigure},
      {".csv", "保存水力要素表", "CSV 表格 (*.csv)", OwnFile::kTable},
      {".csv", "保存率定表", "CSV 表格 (*.csv)", OwnFile::kReport},
  };
  const Kind& k = kKinds[static_cast<int>(kind)];
  QString suggested;
  if (!data_file_path_.empty()) {
    suggested = QString::fromStdString(
        kind == FileKind::kReport
            ? RatingReportPath(data_file_path_)
            : RatingFilePath(data_file_path_, k.extension));
  }
  const QString path = choose_path_(this, QString::fromUtf8(k.caption),
                                    suggested, QString::fromUtf8(k.filter),
                                    QString::fromLatin1(k.extension + 1));
  if (path.isEmpty()) return;

  // The rating shown; a section that could not be rated is drawn alone.
  Rating section_only;
  if (!rating_) {
    section_only.section = figure_.section;
    section_only.params = params_;
  }
  const OutputSource source = {
      .rating = rating_ ? &*rating_ : &section_only,
      .analysis = figure_.analysis ? &*figure_.analysis : nullptr,
      .checks = checks_ ? &*checks_ : nullptr,
      .gaugings_path = gaugings_path_,
      // The time of the save: the viewer's table is computed anew each time
      // it is shown.
      .run_time = CurrentLocalTime(),
  };
  QtFigureRenderer figures;
  // The save dialog has asked before replacing a file; still only a file of
  // ours is replaced, as on the command line.
  const Status saved =
      SaveOutput(k.own, source, path.toStdString(),
                 kind == FileKind::kPng ? "png" : "svg", &figures);
  if (!saved.ok()) {
    status_->clear();
    sink_->ShowWarning(saved.message(), kSaveFailedTitle);
    return;
  }
  status_->setText(
      QStringLiteral("已保存到 %1").arg(QDir::toNativeSeparators(path)));
}

}  // namespace xsrating
