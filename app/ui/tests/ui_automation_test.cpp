// The instance socket's "ui" requests on a small window of their own.

#include "ui_automation.h"

#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui_fixture.h"

namespace ui_test {
namespace {

class UiAutomationTest : public ::testing::Test {
  protected:
    QDialog window;
    QLineEdit* edit = new QLineEdit;
    QLabel* label = new QLabel(QStringLiteral("two\nlines"));
    QPushButton* enabled = new QPushButton(QStringLiteral("&Go"));
    QPushButton* disabled = new QPushButton(QStringLiteral("&Stop"));
    int clicks = 0;

    void SetUp() override {
        window.setObjectName(QStringLiteral("Probe window"));
        window.setWindowTitle(QStringLiteral("Probe window"));
        edit->setObjectName(QStringLiteral("User ID"));
        label->setObjectName(QStringLiteral("label"));
        enabled->setObjectName(QStringLiteral("Go"));
        disabled->setObjectName(QStringLiteral("Stop"));
        disabled->setEnabled(false);
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* w : std::initializer_list<QWidget*>{edit, label, enabled, disabled})
            layout->addWidget(w);
        QObject::connect(enabled, &QPushButton::clicked, [this] { ++clicks; });
        window.show();
    }
};

TEST_F(UiAutomationTest, FindsControlsByNameWithUnderscoresForBlanks) {
    EXPECT_EQ(ui::automationAnswer("set User_ID Ann Smith"), "ok");
    EXPECT_EQ(edit->text(), QStringLiteral("Ann Smith"));
    EXPECT_EQ(ui::automationAnswer("text User_ID"), "Ann Smith");
    EXPECT_EQ(ui::automationAnswer("text label"), "two / lines");
    EXPECT_EQ(ui::automationAnswer("text Nothing"), "no such control");
    EXPECT_TRUE(ui::automationAnswer("windows").contains("\"title\":\"Probe window\""));
}

TEST_F(UiAutomationTest, PressesOnlyEnabledButtonsAndAfterTheAnswer) {
    EXPECT_EQ(ui::automationAnswer("press Go"), "ok");
    EXPECT_EQ(clicks, 0);  // the click comes from the event loop
    QCoreApplication::processEvents();
    EXPECT_EQ(clicks, 1);
    EXPECT_NE(ui::automationAnswer("press Stop"), "ok");
    EXPECT_EQ(ui::automationAnswer("answer Yes"), "no message box");
}

}  // namespace
}  // namespace ui_test
