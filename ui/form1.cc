// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form1.h"

#include <QComboBox>
#include <QDir>
#include <QFont>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRect>
#include <QStringList>
#include <QTreeWidget>
#include <optional>
#include <string>
#include <utility>

#include "core/number_text.h"
#include "core/status.h"
#include "ui/fonts.h"
#include "ui/format_help.h"
#include "ui/message_box_sink.h"
#include "ui/rating_viewer.h"

namespace xsrating {
namespace {

constexpr char kProgramTitle[] = "河道断面水位流量关系计算";
constexpr char kRunFailedTitle[] = "计算未完成";
constexpr char kNotANumberTitle[] = "输入的不是数字";
constexpr char kIncompleteTitle[] = "输入不完整";

// The layout is drawn in twips; at 96 dots per inch a pixel is 15 twips, and
// Qt scales logical pixels to the screen.
constexpr int kTwipsPerPixel = 15;

QRect TwipRect(int left, int top, int width, int height) {
  return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel,
               width / kTwipsPerPixel, height / kTwipsPerPixel);
}

QFont FontOf(const QStringList& families, double points) {
  QFont font;
  font.setFamilies(families);
  font.setPointSizeF(points);
  return font;
}

// The Kai (brush) typeface.
QFont KaiTi(double points) {
  return FontOf({"楷体_GB2312", "楷体", "KaiTi", "AR PL UKai CN"}, points);
}

// The heavy display face of the banner; where it is missing, the heaviest
// sans-serif CJK face there is comes closest.
QFont HuaWenHuPo(double points) {
  QFont font = FontOf({"华文琥珀", "STHupo", "Noto Sans CJK SC Black",
                       "Noto Sans CJK SC", "Source Han Sans SC"},
                      points);
  const QString found = QFontInfo(font).family();
  if (found != QStringLiteral("华文琥珀") &&
      found != QStringLiteral("STHupo")) {
    font.setWeight(QFont::Black);
  }
  return font;
}

template <typename Widget>
Widget* Place(QWidget* parent, const char* name, const QRect& rect,
              const QFont& font) {
  auto* widget = new Widget(parent);
  widget->setObjectName(QLatin1String(name));
  widget->setGeometry(rect);
  widget->setFont(font);
  return widget;
}

QLabel* PlaceLabel(QWidget* parent, const char* name, const char* text,
                   const QRect& rect, const QFont& font) {
  auto* label = Place<QLabel>(parent, name, rect, font);
  label->setText(QString::fromUtf8(text));
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

QPushButton* PlaceButton(QWidget* parent, const char* name, const char* text,
                         const QRect& rect, const QFont& font) {
  auto* button = Place<QPushButton>(parent, name, rect, font);
  button->setText(QString::fromUtf8(text));
  // Enter and Return press the focused button, as on Windows. The window is
  // no dialog, so no button is pressed by Enter typed elsewhere.
  button->setAutoDefault(true);
  return button;
}

}  // namespace

Form1::Form1(MessageSink* sink, DriveHooks drives, QWidget* parent)
    : QWidget(parent), sink_(sink) {
  if (sink_ == nullptr) {
    own_sink_ = std::make_unique<MessageBoxSink>(this);
    sink_ = own_sink_.get();
  }
  setWindowTitle(QStringLiteral("Form1"));
  setFont(SongTi(12));
  setFixedSize(TwipRect(0, 0, 14895, 8385).size());
  BuildControls(std::move(drives));
}

Form1::~Form1() = default;

void Form1::BuildControls(DriveHooks drives) {
  // Later controls lie above earlier ones where they overlap.
  auto* banner = PlaceLabel(this, "Label5", kProgramTitle,
                            TwipRect(1680, 360, 11775, 975), HuaWenHuPo(42));
  banner->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

  QFont underlined = SongTi(15);
  underlined.setUnderline(true);
  PlaceLabel(this, "Label1",
             "选择地形数据文件:", TwipRect(2880, 3000, 2775, 495), underlined);
  auto* help = PlaceButton(this, "Command3", "请看地形文件格式帮助",
                           TwipRect(5520, 2880, 2655, 495), font());

  auto* drive_list = Place<QComboBox>(
      this, "Drive1", TwipRect(3240, 3600, 2295, 300), SongTiForLists(9));
  auto* folder_tree = Place<QTreeWidget>(
      this, "Dir1", TwipRect(3240, 4080, 2295, 2820), SongTiForLists(9));
  folder_tree->setIndentation(12);
  auto* file_list = Place<QListWidget>(
      this, "File1", TwipRect(5880, 3600, 2655, 3330), SongTiForLists(9));

  PlaceLabel(this, "Label2", " 糙率", TwipRect(9120, 3720, 855, 495),
             SongTi(14.25));
  auto* roughness = Place<QLineEdit>(
      this, "Text1", TwipRect(10200, 3600, 1215, 495), SongTi(9));
  PlaceLabel(this, "Label3", " 比降", TwipRect(9120, 4560, 855, 495),
             SongTi(14.25));
  auto* slope = Place<QLineEdit>(this, "Text2",
                                 TwipRect(10200, 4440, 1215, 495), SongTi(9));
  auto* stage_label = PlaceLabel(this, "Label4", "水位流量关系曲线点子数量",
                                 TwipRect(9120, 5280, 855, 735), SongTi(10.5));
  stage_label->setWordWrap(true);
  auto* stage_count = Place<QLineEdit>(
      this, "Text3", TwipRect(10200, 5280, 1215, 495), SongTi(9));

  auto* start = PlaceButton(this, "Command1", "开始",
                            TwipRect(9120, 6240, 975, 615), SongTi(9));
  auto* end = PlaceButton(this, "Command2", "结束",
                          TwipRect(10320, 6240, 1095, 615), SongTi(9));
  PlaceLabel(this, "Label6", "计算前请仔细阅读说明文件。",
             TwipRect(3240, 7680, 8415, 735), KaiTi(14.25));
  auto* view = PlaceButton(this, "Command4", "查看断面与曲线",
                           TwipRect(11640, 6240, 1815, 615), SongTi(9));

  // Focus follows the tab indexes of the layout; the folder tree starts.
  QWidget::setTabOrder(folder_tree, file_list);
  QWidget::setTabOrder(file_list, drive_list);
  QWidget::setTabOrder(drive_list, roughness);
  QWidget::setTabOrder(roughness, slope);
  QWidget::setTabOrder(slope, start);
  QWidget::setTabOrder(start, end);
  QWidget::setTabOrder(end, stage_count);
  QWidget::setTabOrder(stage_count, help);
  QWidget::setTabOrder(help, view);
  folder_tree->setFocus();

  roughness_box_ = {roughness, "糙率", "0.025", &RunParameters::roughness};
  slope_box_ = {slope, "比降", "0.0004"};
  stage_count_box_ = {stage_count, "水位流量关系曲线点子数量", "20",
                      &RunParameters::stage_count};
  connect(roughness, &QLineEdit::textChanged, this,
          [this] { OnNumberEdited(roughness_box_); });
  connect(stage_count, &QLineEdit::textChanged, this,
          [this] { OnNumberEdited(stage_count_box_); });
  connect(slope, &QLineEdit::textChanged, this, [this](const QString& text) {
    parameters_.slope_text = text.toStdString();
    OnNumberEdited(slope_box_);
  });
  connect(start, &QPushButton::clicked, this, &Form1::OnStartClicked);
  connect(end, &QPushButton::clicked, this, &QWidget::close);
  connect(help, &QPushButton::clicked, this, &Form1::OnHelpClicked);
  connect(view, &QPushButton::clicked, this, &Form1::OnViewClicked);

  chooser_ = new DataFileChooser(drive_list, folder_tree, file_list, sink_,
                                 std::move(drives), this);
  connect(
      chooser_, &DataFileChooser::DataFileClicked, this,
      [this](const std::string& path) { parameters_.data_file_path = path; });
  chooser_->Open(QDir::currentPath());
}

void Form1::OnNumberEdited(NumberBox& box) {
  const std::optional<double> value =
      TextToNumber(box.edit->text().toStdString());
  if (value.has_value() && box.field != nullptr) {
    parameters_.*box.field = *value;
  }
  if (box.holds_number == value.has_value()) return;

  box.holds_number = value.has_value();
  // Typing goes on undisturbed; the box shows that its text is no number.
  box.edit->setProperty("notANumber", !box.holds_number);
  box.edit->setStyleSheet(
      box.holds_number
          ? QString()
          : QStringLiteral("QLineEdit { border: 2px solid #d00000; "
                           "background: #fff0f0; }"));
  box.edit->setToolTip(box.holds_number
                           ? QString()
                           : QStringLiteral("%1须为数字，例如 %2")
                                 .arg(QString::fromUtf8(box.name),
                                      QString::fromUtf8(box.example)));
}

InputProblems Form1::CheckBoxes() const {
  InputProblems problems;
  for (const NumberBox* box :
       {&roughness_box_, &slope_box_, &stage_count_box_}) {
    const QString name = QString::fromUtf8(box->name);
    if (box->edit->text().trimmed().isEmpty()) {
      problems.empty << name;
    } else if (!TextToNumber(box->edit->text().toStdString()).has_value()) {
      problems.not_numbers << name;
    }
  }
  return problems;
}

void Form1::OnStartClicked() {
  const InputProblems problems = CheckBoxes();
  if (problems.any()) {
    const QString todo = problems.not_numbers.isEmpty() ? QStringLiteral("填写")
                         : problems.empty.isEmpty()
                             ? QStringLiteral("改正")
                             : QStringLiteral("填写、改正");
    const QString text = QStringLiteral("%1，请%2后再按“开始”。")
                             .arg(DescribeInputProblems(problems), todo);
    sink_->ShowWarning(text.toStdString(), problems.empty.isEmpty()
                                               ? kNotANumberTitle
                                               : kIncompleteTitle);
    for (const NumberBox* box :
         {&roughness_box_, &slope_box_, &stage_count_box_}) {
      const QString name = QString::fromUtf8(box->name);
      if (problems.empty.contains(name) ||
          problems.not_numbers.contains(name)) {
        box->edit->setFocus();
        box->edit->selectAll();
        break;
      }
    }
    return;
  }

  const Status status = RunComputation(parameters_, *sink_);
  if (!status.ok()) sink_->ShowWarning(status.message(), kRunFailedTitle);
  // The new result file, or nothing new after a failure.
  chooser_->Refresh();
}

void Form1::OnHelpClicked() {
  sink_->ShowWarning(FormatHelpText(), kFormatHelpTitle);
}

void Form1::OnViewClicked() {
  const ViewRequest request{parameters_, CheckBoxes()};
  // The viewer's own message boxes stand over the viewer, not this window.
  if (viewer_ == nullptr) {
    viewer_ = new RatingViewer(own_sink_ ? nullptr : sink_, {}, this);
  }
  viewer_->Show(request);
  // Opened over the window; once open it stays where the user put it.
  if (!viewer_->isVisible()) viewer_->PlaceOver(this);
  viewer_->show();
  viewer_->raise();
  viewer_->activateWindow();
}

}  // namespace xsrating
