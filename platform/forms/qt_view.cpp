#include "platform/forms/qt_view.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <unistd.h>
#include <xcb/xproto.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "platform/forms/form.h"
#include "platform/win/twips.h"
#include "platform/win/window.h"

namespace forms {

namespace {

QString ToQt(const std::string& text) { return QString::fromStdString(text); }

// Key codes as the dialogs' key handlers know them (the original window system's virtual keys).
int16_t KeyCodeOf(int qtKey) {
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
    return static_cast<int16_t>(qtKey);
  }
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) {
    return static_cast<int16_t>(112 + (qtKey - Qt::Key_F1));
  }
  static const std::unordered_map<int, int16_t> kKeys = {
      {Qt::Key_Backspace, 8}, {Qt::Key_Tab, 9},      {Qt::Key_Return, 13},   {Qt::Key_Enter, 13},
      {Qt::Key_Shift, 16},    {Qt::Key_Control, 17}, {Qt::Key_Alt, 18},      {Qt::Key_Escape, 27},
      {Qt::Key_Space, 32},    {Qt::Key_PageUp, 33},  {Qt::Key_PageDown, 34}, {Qt::Key_End, 35},
      {Qt::Key_Home, 36},     {Qt::Key_Left, 37},    {Qt::Key_Up, 38},       {Qt::Key_Right, 39},
      {Qt::Key_Down, 40},     {Qt::Key_Insert, 45},  {Qt::Key_Delete, 46},
  };
  auto found = kKeys.find(qtKey);
  return found == kKeys.end() ? 0 : found->second;
}

int16_t ShiftOf(Qt::KeyboardModifiers modifiers) {
  int16_t shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= kShiftMask;
  if (modifiers & Qt::ControlModifier) shift |= kCtrlMask;
  if (modifiers & Qt::AltModifier) shift |= kAltMask;
  return shift;
}

MouseButton ButtonOf(Qt::MouseButton button) {
  switch (button) {
    case Qt::RightButton:
      return MouseButton::Right;
    case Qt::MiddleButton:
      return MouseButton::Middle;
    default:
      return MouseButton::Left;
  }
}

void ApplyFont(QWidget& widget, const Font& font) {
  QFont qfont(ToQt(font.Name));
  qfont.setPointSizeF(font.Size);
  qfont.setBold(font.Bold);
  widget.setFont(qfont);
}

// A system colour (high bit set) keeps the style's own palette; any other is 0x00BBGGRR.
void ApplyBackColor(QWidget& widget, int32_t color) {
  if (color < 0) {
    widget.setAutoFillBackground(false);
    widget.setPalette(QPalette());
    return;
  }
  QPalette palette = widget.palette();
  palette.setColor(widget.backgroundRole(),
                   QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
  widget.setPalette(palette);
  widget.setAutoFillBackground(true);
}

void Dispatch(const std::function<void()>& action) { detail::DispatchUserAction(action); }

// The raw button numbers of a form with a render surface: 0 left, 1 right, 2 middle.
int32_t RawButtonOf(Qt::MouseButton button) {
  switch (button) {
    case Qt::RightButton:
      return 1;
    case Qt::MiddleButton:
      return 2;
    default:
      return 0;
  }
}

void ForwardMouse(Form* form, const QMouseEvent& event, bool down) {
  if (!form) return;
  const QPointF at = event.position();
  const MouseButton button = ButtonOf(event.button());
  const int16_t shift = ShiftOf(event.modifiers());
  const int32_t raw = RawButtonOf(event.button());
  Dispatch([=] {
    form->UserPointerMoved(static_cast<float>(at.x()), static_cast<float>(at.y()));
    form->UserPointerButton(raw, down);
    form->UserMouse(button, down, shift, static_cast<float>(at.x()), static_cast<float>(at.y()));
  });
}

void ForwardPointerMove(Form* form, const QMouseEvent& event) {
  if (!form) return;
  const QPointF at = event.position();
  Dispatch([=] { form->UserPointerMoved(static_cast<float>(at.x()), static_cast<float>(at.y())); });
}

// X11's modifier bit of Num Lock in a key event's native modifiers.
constexpr quint32 X11NumLockMask = 0x10;  // Mod2

// Slots that hand typed text and chosen items to a control.
auto TypeInto(Control* control) {
  return [control](const QString& text) {
    Dispatch([control, typed = text.toStdString()] { control->UserType(typed); });
  };
}

auto ChooseIn(Control* control) {
  return [control](int item) {
    Dispatch([control, item] { control->UserChoose(static_cast<int16_t>(item)); });
  };
}

// A window's record in device pixels, which are the pixels of the surface a device draws.
void Describe(QWidget& widget, win::Window& record) {
  const qreal ratio = widget.devicePixelRatioF();
  const QPoint origin = widget.mapToGlobal(QPoint(0, 0));
  record.clientWidth = static_cast<int32_t>(std::lround(widget.width() * ratio));
  record.clientHeight = static_cast<int32_t>(std::lround(widget.height() * ratio));
  record.screenX = static_cast<int32_t>(std::lround(origin.x() * ratio));
  record.screenY = static_cast<int32_t>(std::lround(origin.y() * ratio));
  record.show = !widget.isVisible()              ? win::ShowState::Hidden
                : widget.window()->isMinimized() ? win::ShowState::Minimised
                                                 : win::ShowState::Normal;
  record.foreground = widget.isActiveWindow();
}

// The native child window of a form that hosts the 3D device. The device draws into it, so Qt
// must not paint it; it takes the keyboard focus and follows the mouse, and its presses and keys
// still reach the form.
class RenderSurface final : public QWidget {
 public:
  RenderSurface(QWidget* parent, Form& form) : QWidget(parent), form_(&form) {
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
  }
  QPaintEngine* paintEngine() const override { return nullptr; }
  void Forget() { form_ = nullptr; }

 protected:
  void mousePressEvent(QMouseEvent* event) override { ForwardMouse(form_, *event, true); }
  void mouseReleaseEvent(QMouseEvent* event) override { ForwardMouse(form_, *event, false); }
  void mouseMoveEvent(QMouseEvent* event) override { ForwardPointerMove(form_, *event); }

 private:
  Form* form_;
};

class FormWindow final : public QWidget {
 public:
  explicit FormWindow(Form& form) : form_(&form) {
    setAttribute(Qt::WA_QuitOnClose, false);
    if (form.HasRenderSurface()) {
      surface_ = new RenderSurface(this, form);
    } else {
      // Escape reaches the dialog wherever its focus is; a render surface keeps it as a key.
      auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
      QObject::connect(escape, &QShortcut::activated, this, [this] {
        if (Form* shown = form_) Dispatch([shown] { shown->UserEscape(); });
      });
    }
  }

  Form* GetForm() const { return form_; }
  RenderSurface* Surface() const { return surface_; }
  // The handle of the window: its record, carrying the native window the device draws into (the
  // render surface where there is one).
  win::Window& Record() {
    QWidget& drawn = surface_ ? static_cast<QWidget&>(*surface_) : *this;
    record_.nativeWindow = drawn.winId();
    UpdateRecord();
    return record_;
  }
  void Forget() {
    form_ = nullptr;
    if (surface_) surface_->Forget();
  }
  // Set while the model moves the window, so the move is not reported back as the user's.
  bool applying = false;

 protected:
  void closeEvent(QCloseEvent* event) override {
    // The model decides: QueryUnload may keep the form, and unloading it removes this window.
    event->ignore();
    if (Form* form = form_) Dispatch([form] { form->UserClose(); });
  }
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    if (surface_) surface_->setGeometry(rect());
    UpdateRecord();
    ReportGeometry();
  }
  void moveEvent(QMoveEvent* event) override {
    QWidget::moveEvent(event);
    UpdateRecord();
    ReportGeometry();
  }
  void showEvent(QShowEvent* event) override {
    QWidget::showEvent(event);
    UpdateRecord();
  }
  void hideEvent(QHideEvent* event) override {
    QWidget::hideEvent(event);
    UpdateRecord();
  }
  void changeEvent(QEvent* event) override {
    QWidget::changeEvent(event);
    UpdateRecord();
    Form* form = form_;
    if (!form) return;
    if (event->type() == QEvent::WindowStateChange) {
      WindowState state = isMinimized()   ? WindowState::Minimized
                          : isMaximized() ? WindowState::Maximized
                                          : WindowState::Normal;
      Dispatch([form, state] { form->UserSetWindowState(state); });
    } else if (event->type() == QEvent::ActivationChange) {
      const bool active = isActiveWindow();
      Dispatch([form, active] { form->UserFocus(active); });
    }
  }
  void mousePressEvent(QMouseEvent* event) override { ForwardMouse(form_, *event, true); }
  void mouseReleaseEvent(QMouseEvent* event) override { ForwardMouse(form_, *event, false); }
  void keyPressEvent(QKeyEvent* event) override { Key(event, true); }
  void keyReleaseEvent(QKeyEvent* event) override { Key(event, false); }

 private:
  void ReportGeometry() {
    Form* form = form_;
    if (!form || applying) return;
    const QRect frame = frameGeometry();
    const int innerWidth = width();
    const int innerHeight = height();
    Dispatch([=] {
      form->UserMoved(win::PixelsToTwips(frame.x()), win::PixelsToTwips(frame.y()), innerWidth,
                      innerHeight);
    });
  }
  void Key(QKeyEvent* event, bool down) {
    Form* form = form_;
    if (!form) return;
    if (surface_) {
      RawKey raw;
      raw.qtKey = event->key();
      raw.keypad = event->modifiers().testFlag(Qt::KeypadModifier);
      raw.nativeScanCode = event->nativeScanCode();
      raw.autoRepeat = event->isAutoRepeat();
      if (QGuiApplication::platformName() == QLatin1String("xcb"))
        raw.numLockOn = (event->nativeModifiers() & X11NumLockMask) != 0;
      raw.down = down;
      Dispatch([form, raw] { form->UserRawKey(raw); });
    }
    const int16_t code = KeyCodeOf(event->key());
    if (code == 0 || event->isAutoRepeat()) return;
    const int16_t shift = ShiftOf(event->modifiers());
    Dispatch([=] { form->UserKey(code, down, shift); });
  }

  void UpdateRecord() { Describe(*this, record_); }

  Form* form_;
  RenderSurface* surface_ = nullptr;
  win::Window record_;
};

// Mouse, key and focus events of any control's widget, and clicks on the kinds Qt gives no click.
class ControlEvents final : public QObject {
 public:
  ControlEvents(QObject* parent, Control& control) : QObject(parent), control_(&control) {}
  void Forget() { control_ = nullptr; }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    Control* control = control_;
    if (!control) return false;
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const bool down = event->type() == QEvent::MouseButtonPress;
        const QPointF at = mouse->position();
        const MouseButton button = ButtonOf(mouse->button());
        const int16_t shift = ShiftOf(mouse->modifiers());
        Dispatch([=] {
          control->UserMouse(button, down, shift, static_cast<float>(at.x()),
                             static_cast<float>(at.y()));
        });
        if (!down && ClickedByMouse(control->Kind())) Dispatch([control] { control->UserClick(); });
        break;
      }
      case QEvent::MouseButtonDblClick:
        Dispatch([control] { control->UserDoubleClick(); });
        break;
      case QEvent::FocusIn:
        Dispatch([control] { control->UserFocus(); });
        break;
      case QEvent::KeyPress:
      case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        const int16_t code = KeyCodeOf(key->key());
        if (code == 0 || key->isAutoRepeat()) break;
        const bool down = event->type() == QEvent::KeyPress;
        const int16_t shift = ShiftOf(key->modifiers());
        Dispatch([=] { control->UserKey(code, down, shift); });
        if (down && !key->text().isEmpty() && key->text().at(0).unicode() < 128) {
          const auto ascii = static_cast<int16_t>(key->text().at(0).unicode());
          Dispatch([=] { control->UserKeyPress(ascii); });
        }
        break;
      }
      default:
        break;
    }
    return false;
  }

 private:
  static bool ClickedByMouse(ControlKind kind) {
    return kind == ControlKind::Label || kind == ControlKind::Image ||
           kind == ControlKind::PictureBox || kind == ControlKind::Frame;
  }
  Control* control_;
};

class QtView final : public View {
 public:
  void FormLoaded(Form& form) override;
  void FormUnloaded(Form& form) override;
  void ControlAdded(Control& control) override;
  void ControlRemoved(Control& control) override;
  void Changed(Form& form, Property what) override;
  void Changed(Control& control, Property what) override;
  WindowHandle Handle(Form& form) override;
  WindowHandle Handle(Control& control) override;
  void ProcessEvents() override { QCoreApplication::processEvents(QEventLoop::AllEvents); }
  void WaitForEvents(std::optional<Duration> timeout) override;
  MsgBoxResult ShowMessageBox(const MessageBox& box) override;
  OpenFileResult ShowOpenFile(const OpenFileRequest& request) override;
  ScreenInfo QueryScreen() override;
  void Beep() override { QApplication::beep(); }
  bool OpenHelpPage(const std::string& page) override {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(page)));
  }
  void MousePointerChanged(MousePointer pointer) override;
  bool WarpPointer(Form& form, int32_t x, int32_t y) override;
  void PointerHiddenChanged(Form& form) override;
  void FullScreenChanged(Form& form) override;
  void WatchSignalPipe(int readEnd) override {
    // Its bytes say only that the pump has a signal to answer, which it reads from its flag.
    auto* notifier =
        new QSocketNotifier(readEnd, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [readEnd] {
      char bytes[16];
      while (::read(readEnd, bytes, sizeof bytes) > 0) {
      }
    });
  }

  QWidget* Find(Form& form) const {
    auto found = windows_.find(&form);
    return found == windows_.end() ? nullptr : found->second;
  }
  // The form whose window (or render surface) is the native window of that id, if any.
  Form* FormOfNativeWindow(WId id) const {
    for (const auto& [form, window] : windows_) {
      if (window->internalWinId() == id) return form;
      if (window->Surface() && window->Surface()->internalWinId() == id) return form;
    }
    return nullptr;
  }
  // The form's drawing area: its render surface where it has one.
  QWidget* DrawingArea(Form& form) const;
  QWidget* Find(Control& control) const {
    auto found = widgets_.find(&control);
    return found == widgets_.end() ? nullptr : found->second.widget;
  }

 private:
  struct ControlWidget {
    QWidget* widget;
    ControlEvents* events;
    win::Window record{};  // its handle
  };
  void Create(Control& control, FormWindow& window);
  void Connect(Control& control, QWidget& widget);
  void ApplyAll(Control& control);
  void ApplyList(Control& control, QWidget& widget);
  void ApplyValue(Control& control, QWidget& widget);
  void ApplyWindowGeometry(Form& form, FormWindow& window);
  void ApplyBorder(Form& form, FormWindow& window);
  QWidget& ParentFor(Control& control, FormWindow& window);
  void Retire(Control& control);

  std::unordered_map<Form*, FormWindow*> windows_;
  std::unordered_map<Control*, ControlWidget> widgets_;
  bool overrideCursor_ = false;
};

QtView* TheView = nullptr;

// A window destroyed from outside the program (a window manager's destroy, xdotool windowclose)
// leaves Qt a widget with no window behind it: its form is closed as its close box closes it.
class LostWindowFilter final : public QAbstractNativeEventFilter {
 public:
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t" || TheView == nullptr) return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_DESTROY_NOTIFY) return false;
    const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
    if (Form* form = TheView->FormOfNativeWindow(destroyed->window))
      Dispatch([form] { form->UserClose(); });
    return false;
  }
};

// A picture box shows its picture at its own size from the corner; an image fills its box as far
// as the picture's proportions allow, centred, as a logo must not be stretched.
void ShowPicture(Control& control, QWidget& widget) {
  auto* label = qobject_cast<QLabel*>(&widget);
  if (label == nullptr || control.Kind() == ControlKind::Label) return;
  QPixmap picture = control.Picture().empty() ? QPixmap() : QPixmap(ToQt(control.Picture()));
  if (control.Kind() == ControlKind::Image && !picture.isNull()) {
    picture = picture.scaled(label->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    label->setAlignment(Qt::AlignCenter);
  }
  label->setPixmap(picture);
}

QWidget* MakeWidget(ControlKind kind) {
  switch (kind) {
    case ControlKind::CommandButton:
      return new QPushButton;
    case ControlKind::Label: {
      // Captions sit at the top of their box, as the dialogs were laid out for.
      auto* label = new QLabel;
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return label;
    }
    case ControlKind::Image:
    case ControlKind::PictureBox:
      return new QLabel;
    case ControlKind::TextBox:
      return new QLineEdit;
    case ControlKind::ComboBox:
      return new QComboBox;  // made editable with its typing slot
    case ControlKind::ListBox:
      return new QListWidget;
    case ControlKind::CheckBox:
      return new QCheckBox;
    case ControlKind::OptionButton: {
      // The model keeps one option of a container chosen; Qt's own grouping would fight it.
      auto* option = new QRadioButton;
      option->setAutoExclusive(false);
      return option;
    }
    case ControlKind::HScrollBar:
      return new QScrollBar(Qt::Horizontal);
    case ControlKind::VScrollBar:
      return new QScrollBar(Qt::Vertical);
    case ControlKind::Frame:
      return new QGroupBox;
    case ControlKind::Timer:
      return nullptr;
  }
  return nullptr;
}

QWidget& QtView::ParentFor(Control& control, FormWindow& window) {
  if (Control* container = control.Container()) {
    if (QWidget* widget = Find(*container)) return *widget;
  }
  return window;
}

void QtView::FormLoaded(Form& form) {
  auto* window = new FormWindow(form);
  windows_[&form] = window;
  window->setObjectName(ToQt(form.Name()));
  window->setWindowTitle(ToQt(form.Caption()));
  ApplyFont(*window, form.GetFont());
  ApplyBackColor(*window, form.BackColor());
  window->setLayoutDirection(form.RightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
  ApplyBorder(form, *window);
  ApplyWindowGeometry(form, *window);
  // Containers first, so that their contents can be placed inside them.
  for (Control* control : form.Controls()) {
    if (control->Kind() == ControlKind::Frame || control->Kind() == ControlKind::PictureBox) {
      Create(*control, *window);
    }
  }
  for (Control* control : form.Controls()) {
    if (!widgets_.contains(control)) Create(*control, *window);
  }
  for (Control* control : form.Controls()) ApplyAll(*control);
}

void QtView::Create(Control& control, FormWindow& window) {
  QWidget* widget = MakeWidget(control.Kind());
  if (!widget) return;
  widget->setParent(&window);
  widget->setObjectName(ToQt(control.Name()));
  auto* events = new ControlEvents(widget, control);
  widget->installEventFilter(events);
  widgets_[&control] = {widget, events};
  Connect(control, *widget);
}

void QtView::Connect(Control& control, QWidget& widget) {
  Control* c = &control;
  switch (control.Kind()) {
    case ControlKind::CommandButton:
      QObject::connect(static_cast<QPushButton*>(&widget), &QPushButton::clicked, &widget,
                       [c] { Dispatch([c] { c->UserClick(); }); });
      break;
    case ControlKind::CheckBox:
    case ControlKind::OptionButton: {
      auto* button = static_cast<QAbstractButton*>(&widget);
      QObject::connect(button, &QAbstractButton::clicked, button, [this, c, button] {
        Dispatch([c] { c->UserClick(); });
        // Qt toggled its own state; the model's is the one shown.
        if (widgets_.contains(c)) ApplyValue(*c, *button);
      });
      break;
    }
    case ControlKind::TextBox:
      QObject::connect(static_cast<QLineEdit*>(&widget), &QLineEdit::textEdited, &widget,
                       TypeInto(c));
      break;
    case ControlKind::ComboBox: {
      auto* combo = static_cast<QComboBox*>(&widget);
      QObject::connect(combo, &QComboBox::activated, combo, ChooseIn(c));
      break;
    }
    case ControlKind::ListBox: {
      auto* list = static_cast<QListWidget*>(&widget);
      QObject::connect(list, &QListWidget::currentRowChanged, list, ChooseIn(c));
      QObject::connect(list, &QListWidget::itemDoubleClicked, list,
                       [c] { Dispatch([c] { c->UserDoubleClick(); }); });
      break;
    }
    case ControlKind::HScrollBar:
    case ControlKind::VScrollBar: {
      auto* bar = static_cast<QScrollBar*>(&widget);
      QObject::connect(bar, &QScrollBar::valueChanged, bar, [c, bar](int value) {
        const bool dragging = bar->isSliderDown();
        Dispatch([=] { c->UserScroll(static_cast<int16_t>(value), dragging); });
      });
      QObject::connect(bar, &QScrollBar::sliderReleased, bar, [c, bar] {
        const auto value = static_cast<int16_t>(bar->value());
        Dispatch([=] { c->UserScroll(value, false); });
      });
      break;
    }
    default:
      break;
  }
}

void QtView::ApplyAll(Control& control) {
  for (Property what : {Property::Geometry, Property::Editable, Property::Caption, Property::Text,
                        Property::Range, Property::List, Property::Value, Property::Enabled,
                        Property::Visible, Property::ToolTipText, Property::Font,
                        Property::RightToLeft, Property::BackColor, Property::Picture}) {
    Changed(control, what);
  }
}

void QtView::ApplyList(Control& control, QWidget& widget) {
  QStringList items;
  for (int16_t i = 0; i < control.ListCount(); ++i) items << ToQt(control.List(i));
  if (auto* combo = qobject_cast<QComboBox*>(&widget)) {
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(control.ListIndex());
    combo->setEditText(ToQt(control.Text()));
  } else if (auto* list = qobject_cast<QListWidget*>(&widget)) {
    list->clear();
    list->addItems(items);
    list->setCurrentRow(control.ListIndex());
  }
}

void QtView::ApplyValue(Control& control, QWidget& widget) {
  const QSignalBlocker block(&widget);
  if (auto* check = qobject_cast<QCheckBox*>(&widget)) {
    check->setTristate(control.Value() == Control::kGrayed);
    check->setCheckState(control.Value() == Control::kChecked  ? Qt::Checked
                         : control.Value() == Control::kGrayed ? Qt::PartiallyChecked
                                                               : Qt::Unchecked);
  } else if (auto* option = qobject_cast<QRadioButton*>(&widget)) {
    option->setChecked(control.Value() != 0);
  } else if (auto* bar = qobject_cast<QScrollBar*>(&widget)) {
    bar->setValue(control.Value());
  }
}

void QtView::Changed(Control& control, Property what) {
  QWidget* widget = Find(control);
  if (!widget) return;
  const QSignalBlocker block(widget);
  switch (what) {
    case Property::Geometry: {
      if (QWidget* window = Find(control.Parent())) {
        QWidget& parent = ParentFor(control, *static_cast<FormWindow*>(window));
        if (widget->parentWidget() != &parent) {
          widget->setParent(&parent);
          widget->setVisible(control.Visible());  // a widget given a new parent starts hidden
        }
      }
      widget->setGeometry(win::TwipsToPixels(control.Left()), win::TwipsToPixels(control.Top()),
                          win::TwipsToPixels(control.Width()),
                          win::TwipsToPixels(control.Height()));
      if (control.Kind() == ControlKind::Image) ShowPicture(control, *widget);
      break;
    }
    case Property::Caption:
      if (control.Kind() == ControlKind::Frame) {
        static_cast<QGroupBox*>(widget)->setTitle(ToQt(control.Caption()));
      } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(ToQt(control.Caption()));
      } else if (auto* label = qobject_cast<QLabel*>(widget);
                 label && control.Kind() == ControlKind::Label) {
        label->setText(ToQt(control.Caption()));
      }
      break;
    case Property::Text:
      if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        if (edit->text() != ToQt(control.Text())) edit->setText(ToQt(control.Text()));
      } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        if (combo->currentText() != ToQt(control.Text())) combo->setEditText(ToQt(control.Text()));
      }
      break;
    case Property::List:
    case Property::ListIndex:
      if (control.Kind() == ControlKind::ComboBox || control.Kind() == ControlKind::ListBox) {
        if (what == Property::List) {
          ApplyList(control, *widget);
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
          combo->setCurrentIndex(control.ListIndex());
          combo->setEditText(ToQt(control.Text()));
        } else {
          static_cast<QListWidget*>(widget)->setCurrentRow(control.ListIndex());
        }
      }
      break;
    case Property::Range:
      if (auto* bar = qobject_cast<QScrollBar*>(widget)) {
        // A bar whose Min is above its Max runs from Min at its start to Max at its end.
        bar->setRange(std::min(control.Min(), control.Max()),
                      std::max(control.Min(), control.Max()));
        bar->setInvertedAppearance(control.Min() > control.Max());
        bar->setInvertedControls(control.Min() > control.Max());
        bar->setSingleStep(control.SmallChange());
        bar->setPageStep(control.LargeChange());
        bar->setValue(control.Value());
      }
      break;
    case Property::Value:
      if (control.Kind() == ControlKind::CheckBox || control.Kind() == ControlKind::OptionButton ||
          control.Kind() == ControlKind::HScrollBar || control.Kind() == ControlKind::VScrollBar) {
        ApplyValue(control, *widget);
      }
      break;
    case Property::Enabled:
      widget->setEnabled(control.Enabled());
      break;
    case Property::Visible:
      widget->setVisible(control.Visible());
      break;
    case Property::ToolTipText:
      widget->setToolTip(ToQt(control.ToolTipText()));
      break;
    case Property::Font:
      if (control.Kind() != ControlKind::Image && control.Kind() != ControlKind::HScrollBar &&
          control.Kind() != ControlKind::VScrollBar) {
        ApplyFont(*widget, control.GetFont());
      }
      break;
    case Property::RightToLeft:
      if (control.Kind() != ControlKind::Image) {
        // Alignments mirror with the direction, so a right-to-left label reads from the right.
        widget->setLayoutDirection(control.RightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
      }
      break;
    case Property::BackColor:
      if (control.Kind() != ControlKind::Image) ApplyBackColor(*widget, control.BackColor());
      break;
    case Property::Picture:
      ShowPicture(control, *widget);
      break;
    case Property::Editable:
      if (auto* combo = qobject_cast<QComboBox*>(widget);
          combo && combo->isEditable() != control.Editable()) {
        combo->setEditable(control.Editable());
        if (control.Editable()) {
          // Each editable turn brings a new line edit, whose typing reaches the model.
          combo->setInsertPolicy(QComboBox::NoInsert);
          QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, combo, TypeInto(&control));
        }
        combo->setCurrentIndex(control.ListIndex());
        if (control.Editable()) combo->setEditText(ToQt(control.Text()));
      }
      break;
    case Property::Interval:
    case Property::WindowState:
    case Property::BorderStyle:
      break;
  }
}

void QtView::ApplyWindowGeometry(Form& form, FormWindow& window) {
  window.applying = true;
  window.move(win::TwipsToPixels(form.Left()), win::TwipsToPixels(form.Top()));
  window.resize(form.ScaleWidth(), form.ScaleHeight());
  if (form.GetBorderStyle() != BorderStyle::Sizable &&
      form.GetBorderStyle() != BorderStyle::SizableToolWindow) {
    window.setFixedSize(form.ScaleWidth(), form.ScaleHeight());
  }
  window.applying = false;
}

void QtView::ApplyBorder(Form& form, FormWindow& window) {
  Qt::WindowFlags flags = Qt::Window;
  switch (form.GetBorderStyle()) {
    case BorderStyle::None:
      flags |= Qt::FramelessWindowHint;
      break;
    case BorderStyle::FixedToolWindow:
    case BorderStyle::SizableToolWindow:
      flags = Qt::Tool;
      break;
    case BorderStyle::FixedDialog:
      flags = Qt::Dialog;
      break;
    case BorderStyle::FixedSingle:
    case BorderStyle::Sizable:
      break;
  }
  const bool sizable = form.GetBorderStyle() == BorderStyle::Sizable ||
                       form.GetBorderStyle() == BorderStyle::SizableToolWindow;
  if (sizable) {
    window.setMinimumSize(0, 0);
    window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
  const bool shown = window.isVisible();
  window.setWindowFlags(flags);
  if (shown) window.show();
}

void QtView::Changed(Form& form, Property what) {
  auto found = windows_.find(&form);
  if (found == windows_.end()) return;
  FormWindow& window = *found->second;
  switch (what) {
    case Property::Caption:
      window.setWindowTitle(ToQt(form.Caption()));
      break;
    case Property::Geometry:
      ApplyWindowGeometry(form, window);
      break;
    case Property::Visible:
      if (form.Visible()) {
        window.setWindowModality(form.IsModal() ? Qt::ApplicationModal : Qt::NonModal);
        window.show();
        window.activateWindow();
      } else {
        window.hide();
      }
      break;
    case Property::WindowState: {
      window.applying = true;
      switch (form.GetWindowState()) {
        case WindowState::Minimized:
          window.setWindowState(Qt::WindowMinimized);
          break;
        case WindowState::Maximized:
          window.setWindowState(Qt::WindowMaximized);
          break;
        case WindowState::Normal:
          window.setWindowState(Qt::WindowNoState);
          break;
      }
      window.applying = false;
      break;
    }
    case Property::BorderStyle:
      ApplyBorder(form, window);
      ApplyWindowGeometry(form, window);
      break;
    case Property::Enabled:
      window.setEnabled(form.Enabled());
      break;
    case Property::Font:
      ApplyFont(window, form.GetFont());
      break;
    case Property::RightToLeft:
      window.setLayoutDirection(form.RightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
      break;
    case Property::BackColor:
      ApplyBackColor(window, form.BackColor());
      break;
    default:
      break;
  }
}

void QtView::Retire(Control& control) {
  auto found = widgets_.find(&control);
  if (found == widgets_.end()) return;
  // The widget may still be mid-signal; cut it off from the model now and let Qt delete it later.
  found->second.events->Forget();
  found->second.widget->disconnect();
  found->second.widget->hide();
  found->second.widget->deleteLater();
  widgets_.erase(found);
}

void QtView::FormUnloaded(Form& form) {
  auto found = windows_.find(&form);
  if (found == windows_.end()) return;
  for (Control* control : form.Controls()) Retire(*control);
  FormWindow* window = found->second;
  windows_.erase(found);
  window->Forget();
  window->hide();
  window->deleteLater();
}

void QtView::ControlAdded(Control& control) {
  auto found = windows_.find(&control.Parent());
  if (found == windows_.end()) return;
  Create(control, *found->second);
  ApplyAll(control);
}

void QtView::ControlRemoved(Control& control) { Retire(control); }

WindowHandle QtView::Handle(Form& form) {
  auto found = windows_.find(&form);
  if (found == windows_.end()) return 0;
  return reinterpret_cast<WindowHandle>(&found->second->Record());
}

WindowHandle QtView::Handle(Control& control) {
  auto found = widgets_.find(&control);
  if (found == widgets_.end()) return 0;
  QWidget& widget = *found->second.widget;
  widget.setAttribute(Qt::WA_NativeWindow);
  win::Window& record = found->second.record;
  record.nativeWindow = widget.winId();
  Describe(widget, record);
  return reinterpret_cast<WindowHandle>(&record);
}

void QtView::WaitForEvents(std::optional<Duration> timeout) {
  if (timeout && CurrentClock().SkipAhead(*timeout)) {
    ProcessEvents();
    return;
  }
  // A timer event wakes the wait when the next model timer falls due.
  QTimer wake;
  wake.setSingleShot(true);
  if (timeout) {
    wake.start(static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(*timeout).count()));
  }
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

MsgBoxResult QtView::ShowMessageBox(const MessageBox& box) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (box.icon) {
    case MsgBoxIcon::None:
      break;
    case MsgBoxIcon::Critical:
      icon = QMessageBox::Critical;
      break;
    case MsgBoxIcon::Question:
      icon = QMessageBox::Question;
      break;
    case MsgBoxIcon::Exclamation:
      icon = QMessageBox::Warning;
      break;
    case MsgBoxIcon::Information:
      icon = QMessageBox::Information;
      break;
  }
  std::vector<std::pair<QMessageBox::StandardButton, MsgBoxResult>> buttons;
  switch (box.buttons) {
    case MsgBoxButtons::Ok:
      buttons = {{QMessageBox::Ok, MsgBoxResult::Ok}};
      break;
    case MsgBoxButtons::OkCancel:
      buttons = {{QMessageBox::Ok, MsgBoxResult::Ok}, {QMessageBox::Cancel, MsgBoxResult::Cancel}};
      break;
    case MsgBoxButtons::YesNo:
      buttons = {{QMessageBox::Yes, MsgBoxResult::Yes}, {QMessageBox::No, MsgBoxResult::No}};
      break;
    case MsgBoxButtons::YesNoCancel:
      buttons = {{QMessageBox::Yes, MsgBoxResult::Yes},
                 {QMessageBox::No, MsgBoxResult::No},
                 {QMessageBox::Cancel, MsgBoxResult::Cancel}};
      break;
  }
  QMessageBox dialog(icon, ToQt(box.title), ToQt(box.prompt), QMessageBox::NoButton,
                     QApplication::activeWindow());
  for (const auto& [button, answer] : buttons) dialog.addButton(button);
  const auto chosenDefault = static_cast<size_t>(box.defaultButton);
  dialog.setDefaultButton(buttons[chosenDefault < buttons.size() ? chosenDefault : 0].first);
  dialog.exec();
  for (const auto& [button, answer] : buttons) {
    if (dialog.clickedButton() == dialog.button(button)) return answer;
  }
  return DefaultAnswer(box);
}

OpenFileResult QtView::ShowOpenFile(const OpenFileRequest& request) {
  QWidget* owner = request.owner ? Find(*request.owner) : nullptr;
  QFileDialog dialog(owner, ToQt(request.title), ToQt(request.startFolder));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(request.newFile ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.newFile       ? QFileDialog::AnyFile
                     : request.multiSelect ? QFileDialog::ExistingFiles
                                           : QFileDialog::ExistingFile);
  QStringList filters;
  for (const FileFilter& filter : request.filters) {
    filters << ToQt(filter.description + " (" + filter.patterns + ")").replace(';', ' ');
  }
  dialog.setNameFilters(filters);
  if (!request.defaultExtension.empty()) dialog.setDefaultSuffix(ToQt(request.defaultExtension));
  if (!request.initialName.empty()) dialog.selectFile(ToQt(request.initialName));
  OpenFileResult result;
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return result;
  result.cancelled = false;
  result.folder = QFileInfo(dialog.selectedFiles().front()).absolutePath().toStdString();
  for (const QString& file : dialog.selectedFiles()) {
    result.names.push_back(QFileInfo(file).fileName().toStdString());
  }
  return result;
}

ScreenInfo QtView::QueryScreen() {
  ScreenInfo screen;
  if (QScreen* primary = QGuiApplication::primaryScreen()) {
    screen.widthPixels = primary->geometry().width();
    screen.heightPixels = primary->geometry().height();
    screen.bitsPerPixel = primary->depth();
    screen.refreshHz = static_cast<int32_t>(std::lround(primary->refreshRate()));
  }
  return screen;
}

void QtView::MousePointerChanged(MousePointer pointer) {
  if (overrideCursor_) QApplication::restoreOverrideCursor();
  overrideCursor_ = pointer == MousePointer::Hourglass;
  if (overrideCursor_) QApplication::setOverrideCursor(Qt::WaitCursor);
}

QWidget* QtView::DrawingArea(Form& form) const {
  auto found = windows_.find(&form);
  if (found == windows_.end()) return nullptr;
  FormWindow* window = found->second;
  return window->Surface() ? static_cast<QWidget*>(window->Surface()) : window;
}

bool QtView::WarpPointer(Form& form, int32_t x, int32_t y) {
  QWidget* area = DrawingArea(form);
  if (area == nullptr) return false;
  const QPoint target = area->mapToGlobal(QPoint(x, y));
  QCursor::setPos(area->screen(), target);
  // A window system that keeps the pointer to the user (Wayland) leaves it where it was.
  return QCursor::pos(area->screen()) == target;
}

void QtView::PointerHiddenChanged(Form& form) {
  QWidget* area = DrawingArea(form);
  if (area == nullptr) return;
  if (form.PointerHidden())
    area->setCursor(Qt::BlankCursor);
  else
    area->unsetCursor();
}

void QtView::FullScreenChanged(Form& form) {
  auto found = windows_.find(&form);
  if (found == windows_.end()) return;
  FormWindow* window = found->second;
  window->applying = true;
  if (form.FullScreen())
    window->showFullScreen();
  else if (window->isFullScreen())
    window->showNormal();
  window->applying = false;
}

}  // namespace

bool StartQtView(int& argc, char** argv) {
  // The 3D device renders into the main display's native child through an X11 window handle, so
  // under a Wayland session the program runs as an X11 client where one is offered.
  const bool display = qEnvironmentVariableIsSet("DISPLAY");
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && display) qputenv("QT_QPA_PLATFORM", "xcb");
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (!QApplication::instance() && !display && (platform.isEmpty() || platform == "xcb")) {
    std::fputs(
        "Marovin needs a graphical desktop: no X11 display (DISPLAY is not set); run it on a "
        "desktop or under xvfb-run\n",
        stderr);
    return false;
  }
  if (!QApplication::instance()) new QApplication(argc, argv);
  // The model's idle loop decides when the program ends, not the last window closed.
  QApplication::setQuitOnLastWindowClosed(false);
  auto view = std::make_unique<QtView>();
  TheView = view.get();
  static LostWindowFilter lostWindows;
  QCoreApplication::instance()->installNativeEventFilter(&lostWindows);
  InstallView(std::move(view));
  return true;
}

QWidget* WidgetOf(Form& form) { return TheView ? TheView->Find(form) : nullptr; }
QWidget* WidgetOf(Control& control) { return TheView ? TheView->Find(control) : nullptr; }

}  // namespace forms
