// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form1.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRect>
#include <QSignalBlocker>
#include <QStringList>
#include <QTreeWidget>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/base/status.h"
#include "form/layout.h"
#include "form/start_command.h"
#include "form/texts.h"
#include "form/zones.h"
#include "ui/fonts.h"
#include "ui/message_box_sink.h"
#include "ui/rating_viewer.h"
#include "ui/zones_dialog.h"

namespace xsrating {
namespace {

// The layout is drawn in twips, placed here in logical pixels at 96 dots per
// inch; Qt scales logical pixels to the screen.
constexpr int kLogicalDpi = 96;

QRect PixelRect(const TwipRect& twips) {
  return QRect(TwipsToPixels(twips.left, kLogicalDpi),
               TwipsToPixels(twips.top, kLogicalDpi),
               TwipsToPixels(twips.width, kLogicalDpi),
               TwipsToPixels(twips.height, kLogicalDpi));
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
Widget* Child(const QWidget* form, const char* name) {
  return form->findChild<Widget*>(QLatin1String(name));
}

QFont FontFor(const ControlLayout& control) {
  QFont font;
  switch (control.face) {
    case Typeface::kSongTi:
      font = SongTi(control.points);
      break;
    case Typeface::kSongTiForLists:
      font = SongTiForLists(control.points);
      break;
    case Typeface::kKaiTi:
      font = KaiTi(control.points);
      break;
    case Typeface::kHuaWenHuPo:
      font = HuaWenHuPo(control.points);
      break;
  }
  font.setUnderline(control.underline);
  return font;
}

// The control of the layout's `kind`, placed, named and with its font.
QWidget* MakeControl(const ControlLayout& control, QWidget* parent) {
  QWidget* widget = nullptr;
  const QString text = QString::fromUtf8(control.text);
  switch (control.kind) {
    case ControlKind::kLabel: {
      auto* label = new QLabel(text, parent);
      label->setAlignment((control.centred ? Qt::AlignHCenter : Qt::AlignLeft) |
                          Qt::AlignTop);
      label->setWordWrap(control.wraps);
      widget = label;
      break;
    }
    case ControlKind::kButton: {
      auto* button = new QPushButton(text, parent);
      // Enter and Return press the focused button, as on Windows. The window
      // is no dialog, so no button is pressed by Enter typed elsewhere.
      button->setAutoDefault(true);
      widget = button;
      break;
    }
    case ControlKind::kTextBox:
      widget = new QLineEdit(parent);
      break;
    case ControlKind::kDriveList:
      widget = new QComboBox(parent);
      break;
    case ControlKind::kFolderList: {
      auto* tree = new QTreeWidget(parent);
      tree->setIndentation(12);
      widget = tree;
      break;
    }
    case ControlKind::kFileList:
      widget = new QListWidget(parent);
      break;
  }
  widget->setObjectName(QLatin1String(control.name));
  widget->setGeometry(PixelRect(control.twips));
  widget->setFont(FontFor(control));
  return widget;
}

}  // namespace

Form1::Form1(MessageSink* sink, DriveHooks drives, QWidget* parent)
    : QWidget(parent), sink_(sink) {
  if (sink_ == nullptr) {
    own_sink_ = std::make_unique<MessageBoxSink>(this);
    sink_ = own_sink_.get();
  }
  setWindowTitle(QString::fromUtf8(kWindowCaption));
  setFont(SongTi(kFormFontPoints));
  setFixedSize(PixelRect({0, 0, kFormWidthTwips, kFormHeightTwips}).size());
  BuildControls(std::move(drives));
}

Form1::~Form1() = default;

void Form1::BuildControls(DriveHooks drives) {
  for (const ControlLayout& control : FormControls()) {
    MakeControl(control, this);
  }

  // Focus follows the tab indexes of the layout; the folder tree starts.
  const std::vector<const ControlLayout*> order = TabOrder();
  for (size_t i = 1; i < order.size(); ++i) {
    QWidget::setTabOrder(Child<QWidget>(this, order[i - 1]->name),
                         Child<QWidget>(this, order[i]->name));
  }
  auto* folder_tree = Child<QTreeWidget>(this, "Dir1");
  folder_tree->setFocus();

  for (size_t i = 0; i < std::size(kInputBoxes); ++i) {
    NumberBox& box = boxes_[i];
    box.box = kInputBoxes[i];
    box.edit = Child<QLineEdit>(this, DescribeInput(box.box).control);
    connect(box.edit, &QLineEdit::textChanged, this,
            [this, &box] { OnNumberEdited(box); });
  }
  connect(Child<QPushButton>(this, "Command1"), &QPushButton::clicked, this,
          &Form1::OnStartClicked);
  connect(Child<QPushButton>(this, "Command2"), &QPushButton::clicked, this,
          &QWidget::close);
  connect(Child<QPushButton>(this, "Command3"), &QPushButton::clicked, this,
          [this] { PressHelp(*sink_); });
  connect(Child<QPushButton>(this, kViewButtonName), &QPushButton::clicked,
          this, &Form1::OnViewClicked);
  connect(Child<QPushButton>(this, kZonesButtonName), &QPushButton::clicked,
          this, &Form1::OnZonesClicked);

  chooser_ = new DataFileChooser(Child<QComboBox>(this, "Drive1"), folder_tree,
                                 Child<QListWidget>(this, "File1"), sink_,
                                 std::move(drives), this);
  connect(
      chooser_, &DataFileChooser::DataFileClicked, this,
      [this](const std::string& path) { parameters_.data_file_path = path; });
  chooser_->Open(QDir::currentPath());
}

void Form1::OnNumberEdited(NumberBox& box) {
  const bool number =
      ApplyBoxText(box.box, box.edit->text().toStdString(), parameters_);
  if (box.holds_number == number) return;

  box.holds_number = number;
  // Typing goes on undisturbed; the box shows that its text is no number.
  box.edit->setProperty("notANumber", !number);
  box.edit->setStyleSheet(
      number ? QString()
             : QStringLiteral("QLineEdit { border: 2px solid "
                              "#d00000; background: #fff0f0; }"));
  box.edit->setToolTip(
      number ? QString() : QString::fromStdString(NotANumberHint(box.box)));
}

BoxTexts Form1::Texts() const {
  return {boxes_[0].edit->text().toStdString(),
          boxes_[1].edit->text().toStdString(),
          boxes_[2].edit->text().toStdString(), !parameters_.zones.empty()};
}

void Form1::OnStartClicked() {
  const std::optional<InputBox> stopped_at =
      PressStart(Texts(), parameters_, *sink_);
  if (stopped_at.has_value()) {
    QLineEdit* edit = boxes_[static_cast<int>(*stopped_at)].edit;
    edit->setFocus();
    edit->selectAll();
    return;
  }
  // The new result file, or nothing new after a failure.
  chooser_->Refresh();
}

void Form1::OnViewClicked() {
  const ViewRequest request{parameters_, FindInputProblems(Texts())};
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

void Form1::OnZonesClicked() {
  const QString survey = QString::fromStdString(parameters_.data_file_path);
  const QString folder =
      survey.isEmpty() ? QDir::currentPath() : QFileInfo(survey).absolutePath();
  ZonesDialog dialog(sink_, folder.toStdString(), {}, this);
  dialog.SetZones(parameters_.zones, parameters_.zone_method);
  if (dialog.exec() == QDialog::Accepted) {
    SetZones(dialog.zones(), dialog.method());
  }
}

void Form1::SetZones(std::vector<RoughnessZone> zones, ZoneMethod method) {
  const bool were_set = !parameters_.zones.empty();
  parameters_.zones = std::move(zones);
  parameters_.zone_method = method;
  NumberBox& roughness = boxes_[static_cast<int>(InputBox::kRoughness)];
  QLineEdit* edit = roughness.edit;
  if (!parameters_.zones.empty()) {
    if (!were_set) typed_roughness_ = edit->text();
    const QSignalBlocker quiet(edit);
    edit->setText(QString::fromStdString(ZonesBoxText(parameters_.zones)));
    // The box's own text is not in use: no red frame for it.
    roughness.holds_number = true;
    edit->setProperty("notANumber", false);
    edit->setStyleSheet(QString());
    edit->setToolTip(QString());
  } else if (were_set) {
    {
      const QSignalBlocker quiet(edit);
      edit->setText(typed_roughness_);
    }
    // The roughness, and the frame, of the text as it was typed.
    OnNumberEdited(roughness);
  }
  edit->setEnabled(parameters_.zones.empty());
}

}  // namespace xsrating
