// The search page of the user list on generated faces: a probe loaded from a file, the
// candidates, the counter and a user ID that is not stored.

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "facegen.h"
#include "facelib/face_library.h"
#include "ovio32.h"
#include "ui_fixture.h"
#include "user_list_window.h"

namespace ui_test {
namespace {

class UserListWindowTest : public MainWindowTest {
  protected:
    std::unique_ptr<ui::UserListWindow> window;

    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_EQ(facelib::loadConfig(OVFC_SYNTHETIC_CONFIG), 0);
        for (int p = 1; p <= 3; ++p) enrol(p);
        device = std::make_unique<capture::CaptureDevice>(libraries, frames.sink());
        ui::PanelEnvironment env{*device, clipboard, frames, registry, [] { return 2; }};
        settings.searchThreshold = settings.ownThreshold = 215;
        window = std::make_unique<ui::UserListWindow>(env, base, settings, nullptr);
        window->refreshUsers();
    }
    void TearDown() override {
        window.reset();
        MainWindowTest::TearDown();
        facelib::done();
    }
    // Person p with two generated faces, descriptors made by the library.
    void enrol(int p) {
        persons::PersonRecord person;
        person.userId = "P0" + std::to_string(p);
        person.name = "Person " + std::to_string(p);
        for (int image = 1; image <= 2; ++image) {
            const auto frame = facegen::generateFrame(16, p, image).pixels;
            std::vector<std::uint8_t> descriptor(3072);
            ASSERT_EQ(facelib::process(frame.data(), 256, 255, descriptor.data()), 0);
            persons::FaceRecord* face = person.addFace();
            ASSERT_NE(face, nullptr);
            face->setDescriptor(descriptor.data(), descriptor.size());
            face->setPicture(frame.data(), 256, 255);
        }
        ASSERT_EQ(base.storePerson(person), 0);
    }
    QString probeOf(int person, int image) {
        const fs::path path =
            dir.path() / QString::asprintf("probe%d%d.tif", person, image).toStdString();
        const auto frame = facegen::generateFrame(16, person, image).pixels;
        EXPECT_EQ(OvWriteImage(path.c_str(), frame.data(), 1), OVIO_OK);
        return QString::fromStdString(path.string());
    }
    void searchToTheEnd() {
        window->toggleSearch();
        while (window->searching()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::processEvents();  // the result's queued report
    }
};

TEST_F(UserListWindowTest, SearchIsOnlyPossibleWithAProbe) {
    EXPECT_FALSE(window->searchButton()->isEnabled());
    ASSERT_EQ(window->loadProbe(probeOf(2, 3)), 0);
    EXPECT_TRUE(window->searchButton()->isEnabled());
    EXPECT_EQ(window->userIds()->itemText(0), "(All)");
    EXPECT_EQ(window->userIds()->count(), 4);
}

TEST_F(UserListWindowTest, TheOwnerOfTheProbeIsTheFirstCandidateWithItsFaces) {
    ASSERT_EQ(window->loadProbe(probeOf(2, 3)), 0);
    searchToTheEnd();
    QTreeWidget* tree = window->results();
    ASSERT_GE(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* first = tree->topLevelItem(0);
    EXPECT_EQ(first->text(0), "1");
    EXPECT_EQ(first->text(1), "P02");
    EXPECT_GE(first->childCount(), 1);
    EXPECT_GE(first->text(2).toInt(), 215);
    for (int k = 1; k < tree->topLevelItemCount(); ++k)
        EXPECT_LE(tree->topLevelItem(k)->text(2).toInt(), first->text(2).toInt());
    const int n = tree->topLevelItemCount();
    EXPECT_EQ(window->counter()->text(),
              n == 1 ? QStringLiteral("1 candidate") : QStringLiteral("%1 candidates").arg(n));
    // The selected candidate's best face is shown.
    EXPECT_TRUE(window->facePanel()->panel().snapshot().pictureValid);
}

TEST_F(UserListWindowTest, AUserIdThatIsNotStoredIsReported) {
    ASSERT_EQ(window->loadProbe(probeOf(1, 3)), 0);
    window->userIds()->setCurrentText("Nobody");
    ModalAnswerer answers;
    searchToTheEnd();
    while (answers.texts().isEmpty()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(answers.texts(), QStringList{"The specified user ID not found"});
    EXPECT_EQ(window->results()->topLevelItemCount(), 0);
}

TEST_F(UserListWindowTest, AnImageWithoutAFaceGivesNoProbe) {
    const fs::path blank = dir.path() / "blank.tif";
    const std::vector<std::uint8_t> grey(65536, 128);
    ASSERT_EQ(OvWriteImage(blank.c_str(), grey.data(), 1), OVIO_OK);
    EXPECT_NE(window->loadProbe(QString::fromStdString(blank.string())), 0);
    EXPECT_FALSE(window->searchButton()->isEnabled());
    EXPECT_FALSE(window->counter()->text().isEmpty());
}

}  // namespace
}  // namespace ui_test
