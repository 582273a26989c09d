// Every dialog as Qt windows on the offscreen platform, in both languages: the widgets keep the
// model's layout inside their frames' drawn borders, every caption fits its widget in the font it
// is drawn with, and Escape reaches the dialog from the keyboard. Each dialog's picture in each
// language is saved beside the test binary.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QWidget>

#include "platform/forms/qt_view.h"
#include "tests/platform/forms/qt_view_once.h"
#include "tests/program/startup/every_form.h"

namespace {

// The part of a parent a child may cover: a frame's inside, below its caption.
QRect InsideOf(QWidget& parent) {
  auto* box = qobject_cast<QGroupBox*>(&parent);
  if (box == nullptr) return parent.rect();
  QStyleOptionGroupBox option;
  option.initFrom(box);
  option.text = box->title();
  option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
  option.lineWidth = 1;
  return box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents,
                                      box);
}

void CheckWidgets(forms::Form& form) {
  std::vector<QWidget*> shown;
  for (forms::Control* control : form.Controls()) {
    QWidget* widget = forms::WidgetOf(*control);
    if (widget != nullptr && widget->isVisible()) shown.push_back(widget);
  }
  for (size_t i = 0; i < shown.size(); ++i) {
    QWidget* a = shown[i];
    const std::string name = form.Name() + "." + a->objectName().toStdString();
    EXPECT_TRUE(InsideOf(*a->parentWidget()).contains(a->geometry()))
        << name << " leaves its frame";
    for (size_t j = i + 1; j < shown.size(); ++j) {
      QWidget* b = shown[j];
      if (a->parentWidget() != b->parentWidget()) continue;
      EXPECT_FALSE(a->geometry().intersects(b->geometry()))
          << name << " overlaps " << b->objectName().toStdString();
    }
    QString text;
    int margin = 8;
    if (auto* button = qobject_cast<QAbstractButton*>(a)) {
      text = button->text().remove('&');
      margin = qobject_cast<QPushButton*>(a) ? 12 : 24;  // the box or the circle
    } else if (auto* label = qobject_cast<QLabel*>(a)) {
      text = label->text();
      margin = text.isEmpty() ? 0 : 2;
    } else if (auto* frame = qobject_cast<QGroupBox*>(a)) {
      text = frame->title();
      margin = 24;
    }
    EXPECT_LE(a->fontMetrics().horizontalAdvance(text) + margin, a->width())
        << text.toStdString() << " does not fit " << name;
  }
}

class EveryFormOnScreen : public EveryFormTest {
 protected:
  static void SetUpTestSuite() { tests::StartQtViewOnce(); }
  void TearDown() override {
    EveryFormTest::TearDown();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
};

TEST_F(EveryFormOnScreen, EveryDialogReadsWellAndClosesWithEscape) {
  ForEveryFormShown(
      [](const Language& language, const FormCase& each, forms::Form& form) {
        forms::DoEvents();
        QWidget* window = forms::WidgetOf(form);
        ASSERT_NE(window, nullptr);
        CheckWidgets(form);
        window->grab().save(
            QString::fromStdString(std::string(each.name) + "_" + language.name + ".png"));
        if (&form == &*DriverDialog) return;
        window->activateWindow();
        QApplication::setActiveWindow(window);
        QTest::keyClick(window, Qt::Key_Escape);
        forms::DoEvents();
        EXPECT_FALSE(each.shown()) << "Escape leaves it open";
      },
      [] {
        auto* quit = qobject_cast<QAbstractButton*>(forms::WidgetOf(DriverDialog->Command_Quit));
        ASSERT_NE(quit, nullptr);
        quit->click();
        EXPECT_THROW(forms::DoEvents(), forms::ProgramEnded);
        forms::script::StartAfresh();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      });
}

}  // namespace
