// The window's layout: positions, sizes, captions and tab order of every
// control, as the window was designed (pixel positions relative to the
// control's panel).
#include <QCursor>
#include <QIcon>

#include "app/banner_picture.h"
#include "app/form_main.h"
#include "app/look_and_feel.h"

namespace app {
namespace {

constexpr int kBoxHeight = 20;

void PlaceLabel(QLabel& label, int left, int top, int width, int height, const char* caption,
                Qt::Alignment horizontal) {
  label.setGeometry(left, top, width, height);
  label.setText(QString::fromUtf8(caption));
  label.setAlignment(horizontal | Qt::AlignVCenter);
  label.setWordWrap(false);
  label.setMargin(0);
  label.setIndent(0);
  label.setTextFormat(Qt::PlainText);
}

void PlaceEdit(QLineEdit& edit, int left, int top, int width, const char* placeholder) {
  edit.setGeometry(left, top, width, kBoxHeight);
  // The definition's own text, cleared by FormCreate before anyone sees it.
  edit.setText(QString::fromUtf8(placeholder));
}

void PlaceButton(QPushButton& button, int left, int top, const char* caption) {
  button.setGeometry(left, top, 41, kBoxHeight);
  button.setText(QString::fromUtf8(caption));
  button.setCursor(Qt::PointingHandCursor);
  button.setAutoDefault(false);
}

}  // namespace

void TFormMain::BuildLayout() {
  setWindowTitle(QStringLiteral("Tarnquill"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setWindowIcon(QIcon(BannerPicture()));
  setFont(FormFont());
  // A single fixed border: the user cannot resize the window by dragging.
  setFixedSize(kFormClientWidth, kFormClientHeight);

  Panel1.resize(kFormClientWidth, 81);
  Splitter1.resize(kFormClientWidth, 3);
  Panel2.resize(kFormClientWidth, 85);
  Splitter2.resize(kFormClientWidth, 3);

  // Banner.
  Image1.setGeometry(32, 16, kBannerPictureSize, kBannerPictureSize);
  Image1.setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Image1.setPixmap(BannerPicture());
  Shape1.setGeometry(104, 16, 313, 49);
  PlaceLabel(Label5, 112, 24, 297, 17, "　　Tarnquill是一个实用的数据库记录修改工", Qt::AlignLeft);
  PlaceLabel(Label6, 112, 40, 297, 17, "具，它能够打开所有ＭＤＢ数据库文件，快速修改数据",
             Qt::AlignLeft);

  // Inputs and buttons.
  PlaceLabel(Label1, 16, 16, 81, kBoxHeight, "数据库文件：", Qt::AlignRight);
  PlaceEdit(Edit1, 104, 16, 177, "Edit1");
  PlaceButton(Button1, 288, 16, "选择");
  PlaceLabel(Label3, 352, 16, 81, kBoxHeight, "要修改字段：", Qt::AlignRight);
  PlaceEdit(Edit4, 440, 16, 177, "Edit4");
  PlaceButton(Button3, 624, 16, "刷新");
  PlaceLabel(Label2, 16, 48, 81, kBoxHeight, "密码和表名：", Qt::AlignRight);
  PlaceEdit(Edit2, 104, 48, 81, "Edit2");
  PlaceEdit(Edit3, 200, 48, 81, "Edit3");
  PlaceButton(Button2, 288, 48, "打开");
  PlaceLabel(Label4, 352, 48, 81, kBoxHeight, "要替换字符：", Qt::AlignRight);
  PlaceEdit(Edit5, 440, 48, 65, "Edit5");
  PlaceLabel(Label7, 512, 48, 33, kBoxHeight, "换成", Qt::AlignHCenter);
  PlaceEdit(Edit6, 552, 48, 65, "Edit6");
  PlaceButton(Button4, 624, 48, "修改");

  // The grid's area takes no focus of its own; the grid placed in it will.
  DataGrid1Host.setFocusPolicy(Qt::NoFocus);

  Realign();
  SetTabOrder();
}

void TFormMain::SetTabOrder() {
  // The six boxes first, then Choose, Refresh, Open and Modify.
  QWidget* const order[] = {&Edit1, &Edit2,   &Edit3,   &Edit4,   &Edit5,
                            &Edit6, &Button1, &Button3, &Button2, &Button4};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

void TFormMain::Realign() {
  int top = 0;
  for (QWidget* w : {static_cast<QWidget*>(&Panel1), static_cast<QWidget*>(&Splitter1),
                     static_cast<QWidget*>(&Panel2), static_cast<QWidget*>(&Splitter2)}) {
    w->setGeometry(0, top, kFormClientWidth, w->height());
    top += w->height();
  }
  Panel3.setGeometry(0, top, kFormClientWidth, std::max(0, kFormClientHeight - top));
  DataGrid1Host.setGeometry(1, 1, std::max(0, Panel3.width() - 2),
                            std::max(0, Panel3.height() - 2));
  if (data_grid_ != nullptr) data_grid_->setGeometry(DataGrid1Host.rect());
}

void TFormMain::PlaceDataGrid(QWidget* grid) {
  data_grid_ = grid;
  if (grid == nullptr) return;
  grid->setParent(&DataGrid1Host);
  grid->setGeometry(DataGrid1Host.rect());
  grid->show();
  setTabOrder(&Button4, grid);
}

int TFormMain::MaxSplitSize(const QWidget* control) const {
  const int taken = Panel1.height() + Splitter1.height() + Panel2.height() + Splitter2.height();
  return kFormClientHeight - TSplitter::kMinSize - taken + control->height();
}

}  // namespace app
