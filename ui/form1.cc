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
#include <QSignalBlocker>
#include <QStringList>
#include <QTreeWidget>
#include <string>
#include <utility>
#include <vector>

#include "form/layout.h"
#include "form/texts.h"
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
  controller_ =
      std::make_unique<FormController>(static_cast<FormView&>(*this), *sink_);
  setWindowTitle(QString::fromUtf8(kWindowCaption));
  setFont(SongTi(kFormFontPoints));
  setFixedSize(PixelRect({0, 0, kFormWidthTwips, kFormHeightTwips}).size());
  BuildControls(std::move(drives));
}

Form1::~Form1() = default;

QLineEdit* Form1::Box(InputBox box) const {
  return Child<QLineEdit>(this, DescribeInput(box).control);
}

void Form1::BuildControls(DriveHooks drives) {
  for (const ControlLayout& control : FormControls()) {
    QWidget* widget = MakeControl(control, this);
    // Every button's press goes to the controller by the button's name.
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
      const std::string name = control.name;
      connect(button, &QPushButton::clicked, this,
              [this, name] { controller_->OnButtonPressed(name); });
    }
  }

  // Focus follows the tab indexes of the layout; the folder tree starts.
  const std::vector<const ControlLayout*> order = TabOrder();
  for (size_t i = 1; i < order.size(); ++i) {
    QWidget::setTabOrder(Child<QWidget>(this, order[i - 1]->name),
                         Child<QWidget>(this, order[i]->name));
  }
  auto* folder_tree = Child<QTreeWidget>(this, "Dir1");
  folder_tree->setFocus();

  for (InputBox box : kInputBoxes) {
    QLineEdit* edit = Box(box);
    connect(edit, &QLineEdit::textChanged, this,
            [this, box](const QString& text) {
              controller_->OnBoxEdited(box, text.toStdString());
            });
  }

  chooser_ = new DataFileChooser(Child<QComboBox>(this, "Drive1"), folder_tree,
                                 Child<QListWidget>(this, "File1"), sink_,
                                 std::move(drives), this);
  connect(chooser_, &DataFileChooser::DataFileClicked, this,
          [this](const std::string& path) { controller_->SetDataFile(path); });
  chooser_->Open(QDir::currentPath());
}

void Form1::SetBoxText(InputBox box, const std::string& text) {
  QLineEdit* edit = Box(box);
  const QSignalBlocker quiet(edit);
  edit->setText(QString::fromStdString(text));
}

void Form1::MarkBox(InputBox box, bool holds_number) {
  // Typing goes on undisturbed; the box shows that its text is no number.
  QLineEdit* edit = Box(box);
  edit->setProperty("notANumber", !holds_number);
  edit->setStyleSheet(holds_number
                          ? QString()
                          : QStringLiteral("QLineEdit { border: 2px solid "
                                           "#d00000; background: #fff0f0; }"));
  edit->setToolTip(holds_number ? QString()
                                : QString::fromStdString(NotANumberHint(box)));
}

void Form1::EnableBox(InputBox box, bool enabled) {
  Box(box)->setEnabled(enabled);
}

void Form1::FocusBox(InputBox box) {
  QLineEdit* edit = Box(box);
  edit->setFocus();
  edit->selectAll();
}

void Form1::RefreshFiles() { chooser_->Refresh(); }

void Form1::Close() { close(); }

void Form1::OpenViewer(const ViewRequest& request) {
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

bool Form1::OpenZonesDialog(const std::string& folder, ZonesChoice* choice) {
  ZonesDialog dialog(
      sink_, folder.empty() ? QDir::currentPath().toStdString() : folder, {},
      this);
  dialog.SetZones(choice->zones, choice->method);
  if (dialog.exec() != QDialog::Accepted) return false;
  *choice = {dialog.zones(), dialog.method()};
  return true;
}

void Form1::SetZones(std::vector<RoughnessZone> zones, ZoneMethod method) {
  controller_->SetZones({std::move(zones), method});
}

}  // namespace xsrating
