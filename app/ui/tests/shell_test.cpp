// The single-instance socket, the command line, and the start-up failures that end the
// program with their message.

#include <QCoreApplication>
#include <QFile>
#include <QLocalServer>
#include <atomic>
#include <fstream>
#include <iterator>
#include <thread>

#include "app_shell.h"
#include "ui_fixture.h"

namespace ui_test {
namespace {

// Asks on a thread while this thread runs the event loop that answers.
std::optional<QByteArray> askWhileServing(const QString& socket, const QByteArray& request) {
    std::optional<QByteArray> answer;
    std::atomic<bool> done{false};
    std::thread asker([&] {
        answer = ui::askRunningInstance(socket, request, 3000);
        done = true;
    });
    while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    asker.join();
    return answer;
}

TEST(SingleInstance, ASecondListenerIsRefusedWhileTheFirstAnswers) {
    TempDir dir;
    const QString socket = QString::fromStdString((dir.path() / "instance").string());
    ui::SingleInstance first(socket);
    ASSERT_TRUE(first.listen([](const QByteArray& r) { return "got " + r; }));
    EXPECT_EQ(askWhileServing(socket, "activate"), QByteArray("got activate"));

    // A connection is taken by the kernel's backlog: the first need not be served for it.
    ui::SingleInstance second(socket);
    const bool listened = second.listen([](const QByteArray&) { return QByteArray("second"); });
    EXPECT_FALSE(listened);
    EXPECT_EQ(askWhileServing(socket, "status"), QByteArray("got status"));
}

TEST(SingleInstance, ASocketLeftByAKilledInstanceIsTakenOver) {
    TempDir dir;
    const QString socket = QString::fromStdString((dir.path() / "instance").string());
    {
        QFile stale(socket);
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    }
    ui::SingleInstance instance(socket);
    ASSERT_TRUE(instance.listen([](const QByteArray&) { return QByteArray("alive"); }));
    EXPECT_EQ(askWhileServing(socket, "status"), QByteArray("alive"));
}

TEST(SingleInstance, NobodyAnswersWhenNoInstanceRuns) {
    TempDir dir;
    EXPECT_FALSE(ui::askRunningInstance(QString::fromStdString((dir.path() / "none").string()),
                                        "activate", 200));
}

TEST(CommandLine, TakesTheBaseFolderInBothSpellings) {
    QString error;
    auto a = ui::parseCommandLine({"ovfctest", "--base", "/tmp/b"}, error);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->baseFolder, "/tmp/b");
    auto b = ui::parseCommandLine({"ovfctest", "--base=/tmp/c"}, error);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->baseFolder, "/tmp/c");
    EXPECT_FALSE(ui::parseCommandLine({"ovfctest", "--base"}, error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(StartUp, ABaseFolderThatCannotBeCreatedEndsWithItsMessage) {
    TempDir dir;
    // A file where the base folder's parent should be.
    const fs::path blocker = dir.path() / "file";
    {
        QFile f(QString::fromStdString(blocker.string()));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ui::StartOptions options;
    options.baseFolder = QString::fromStdString((blocker / "Base").string());
    options.instanceSocket = QString::fromStdString((dir.path() / "instance").string());
    options.registryFile = QString::fromStdString((dir.path() / "registry.reg").string());
    // The library's configuration is where the program's is: in the build's bin folder.
    fs::current_path(OVFC_BIN_DIR);
    ModalAnswerer answers;
    ui::AppShell shell(options);
    EXPECT_EQ(shell.start(), ui::kBaseFailed);
    EXPECT_EQ(answers.texts(), QStringList{"Error opening/creating database"});
    EXPECT_EQ(shell.window(), nullptr);
    shell.shutdown();
    EXPECT_FALSE(fs::exists(dir.path() / "registry.reg")) << "a failed start wrote settings";
    // Nothing stays open: a second start on a good folder runs.
    options.baseFolder = QString::fromStdString((dir.path() / "Base").string());
    ui::AppShell again(options);
    EXPECT_EQ(again.start(), ui::kStarted);
    EXPECT_EQ(answers.texts().size(), 1);
    ASSERT_NE(again.window(), nullptr);
    EXPECT_TRUE(fs::exists(dir.path() / "Base" / "Users.Dbf"));
    again.shutdown();
    // The settings were written at exit.
    platform::RegistryFile registry(options.registryFile.toStdString());
    EXPECT_TRUE(registry.read(settings::kAppKey, "Show elements"));
    EXPECT_TRUE(registry.read(settings::kAppKey, "Placement"));
}

// A configuration of another version in the current folder, where the library looks first.
class OtherVersionTest : public ::testing::Test {
  protected:
    TempDir dir;
    fs::path previous = fs::current_path();
    ui::StartOptions options;

    void SetUp() override {
        const fs::path synthetic = fs::path(OVFC_SYNTHETIC_CONFIG).parent_path();
        std::ifstream in(OVFC_SYNTHETIC_CONFIG);
        std::string ini((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::size_t at = ini.find("0.02.006");
        ASSERT_NE(at, std::string::npos);
        ini.replace(at, 8, "0.01.000");
        std::ofstream(dir.path() / "ovfc.ini") << ini;
        fs::copy_file(synthetic / "synthetic.dsc", dir.path() / "synthetic.dsc");
        fs::current_path(dir.path());
        options.baseFolder = QString::fromStdString((dir.path() / "Base").string());
        options.instanceSocket = QString::fromStdString((dir.path() / "instance").string());
        options.registryFile = QString::fromStdString((dir.path() / "registry.reg").string());
    }
    void TearDown() override { fs::current_path(previous); }
};

TEST_F(OtherVersionTest, NoConfigurationAnywhereEndsWithItsMessage) {
    fs::remove(dir.path() / "ovfc.ini");
    ModalAnswerer answers;
    ui::AppShell shell(options);
    EXPECT_EQ(shell.start(), ui::kLibraryFailed);
    EXPECT_EQ(answers.texts(), QStringList{"Can not initialize OvFC32.DLL!"});
    EXPECT_FALSE(fs::exists(dir.path() / "Base"));
}

TEST_F(OtherVersionTest, CancelEndsTheProgramWithNothingOpen) {
    ModalAnswerer answers(QMessageBox::Cancel);
    ui::AppShell shell(options);
    EXPECT_EQ(shell.start(), ui::kVersionRefused);
    EXPECT_EQ(answers.texts(), QStringList{"Invalid OVFC.INI file version! Continue?"});
    EXPECT_FALSE(fs::exists(dir.path() / "Base"));
}

TEST_F(OtherVersionTest, OkGoesOn) {
    ModalAnswerer answers(QMessageBox::Ok);
    ui::AppShell shell(options);
    EXPECT_EQ(shell.start(), ui::kStarted);
    EXPECT_EQ(answers.texts(), QStringList{"Invalid OVFC.INI file version! Continue?"});
    EXPECT_TRUE(fs::exists(dir.path() / "Base" / "Users.Dbf"));
    shell.shutdown();
}

}  // namespace
}  // namespace ui_test
