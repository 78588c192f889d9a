// ovfc base end to end on synthetic faces: enrol, list, show, delete and pack, and what the
// commands leave in the base.

#include <cstdlib>
#include <sstream>

#include "base_fixture.h"
#include "facegen.h"
#include "persons/record_format.h"

namespace persons::testing {
namespace {

class BaseCliTest : public ::testing::Test {
  protected:
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("ovfc_base_cli_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        std::string error;
        ASSERT_TRUE(facegen::writeFaceSet((dir / "set").string(), 2, 3, 7, error)) << error;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // Exit status of "ovfc base --base DIR arguments"; the output in out.
    int base(const std::string& arguments) {
        const std::string command = std::string(OVFC_BIN_DIR) + "/ovfc base --base " +
                                    (dir / "Base").string() + " " + arguments + " >" +
                                    (dir / "out.txt").string() + " 2>&1";
        const int rc = std::system(command.c_str());
        const auto bytes = fileBytes(dir / "out.txt");
        out.assign(bytes.begin(), bytes.end());
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    }
    std::string images(int person) const {
        std::string s;
        for (int i = 1; i <= 3; ++i)
            s += " " + (dir / "set" / facegen::frameFileName(person, i)).string();
        return s;
    }
    std::string out;
};

TEST_F(BaseCliTest, EnrolListShowDeleteAndPack) {
    ASSERT_EQ(base("enroll '  aNN' '  Ann Lee'" + images(1)), 0) << out;
    EXPECT_NE(out.find("enrolled Ann"), std::string::npos) << out;
    ASSERT_EQ(base("enroll bob Bob --no-pictures" + images(2)), 0) << out;
    ASSERT_EQ(base("list"), 0) << out;
    EXPECT_EQ(out, "2|Ann|Ann Lee|3\n2|Bob|Bob|3\n");

    // The user ID is looked up as the registration stores it; a second Ann is refused.
    ASSERT_EQ(base("show ANN"), 0) << out;
    EXPECT_NE(out.find("User ID: Ann\nName: Ann Lee\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Faces: 3\n"), std::string::npos) << out;
    EXPECT_EQ(base("enroll ann Other" + images(2)), 1) << out;
    EXPECT_NE(out.find("User ID is not unique"), std::string::npos) << out;
    EXPECT_EQ(base("show nobody"), 1) << out;
    EXPECT_EQ(base("enroll ' ' Blank" + images(2)), 1) << out;
    EXPECT_EQ(base("bogus"), 2) << out;

    {
        PersonBase b;
        ASSERT_EQ(b.open((dir / "Base").string()), 0);
        PersonRecord ann, bob;
        ASSERT_EQ(b.findByUserId("Ann", ann), 0);
        ASSERT_EQ(b.findByUserId("Bob", bob), 0);
        EXPECT_NE(ann.id, bob.id);
        ASSERT_EQ(b.loadFaces(ann), 0);
        ASSERT_EQ(b.loadFaces(bob), 0);
        ASSERT_EQ(b.loadFaceImages(ann), 0);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(std::memcmp(ann.faces[i]->descriptor.data(), "OVFCDESC", 8), 0);
            EXPECT_EQ(ann.faces[i]->image, format::imageName(ann.id, i));
            const auto frame = facegen::generateFrame(7, 1, i + 1);
            EXPECT_TRUE(sameBytes(ann.faces[i]->picture, frame.pixels)) << i;
            EXPECT_EQ(bob.faces[i]->image, "");
        }
    }

    ASSERT_EQ(base("delete ann"), 0) << out;
    EXPECT_EQ(base("delete ann"), 1) << out;
    ASSERT_EQ(base("pack"), 0) << out;
    EXPECT_EQ(out, "packed: 1 persons\n");
    ASSERT_EQ(base("list"), 0) << out;
    EXPECT_EQ(out, "2|Bob|Bob|3\n");
    for (const auto& e : fs::directory_iterator(dir / "Base"))
        EXPECT_NE(e.path().extension(), ".TIF") << e.path();  // Ann's pictures went with her
}

TEST_F(BaseCliTest, StatisticsOverTheBasePictures) {
    ASSERT_EQ(base("enroll ann Ann" + images(1)), 0) << out;
    ASSERT_EQ(base("enroll bob Bob" + images(2)), 0) << out;
    const std::string stats = std::string(OVFC_BIN_DIR) + "/ovfc stats --user-list " +
                              (dir / "Base").string() + " --ignore-errors --overwrite --log " +
                              (dir / "OVFC.LOG").string() + " --json " +
                              (dir / "run.json").string() + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(stats.c_str()), 0);
    const auto bytes = fileBytes(dir / "run.json");
    const std::string json(bytes.begin(), bytes.end());
    EXPECT_NE(json.find("\"N\": 6,\n\"M\": 6,"), std::string::npos) << json;
    // Each picture is its own person's, itself included, and a stranger to the other's.
    const std::string ann = "[true, true, true, false, false, false]";
    const std::string bob = "[false, false, false, true, true, true]";
    EXPECT_NE(json.find("\"own\": [\n  " + ann + ",\n  " + ann + ",\n  " + ann + ",\n  " + bob +
                        ",\n  " + bob + ",\n  " + bob + "]"),
              std::string::npos)
        << json;
    const std::string both = std::string(OVFC_BIN_DIR) + "/ovfc stats --user-list " +
                             (dir / "Base").string() + " --source x >/dev/null 2>&1";
    const int rc = std::system(both.c_str());
    EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, 2);  // a user list has its own paths
}

// Persons stored straight through the base, without the face library.
void storeWithoutFaces(const fs::path& folder,
                       const std::vector<std::pair<std::string, std::string>>& who) {
    PersonBase b;
    ASSERT_EQ(b.open(folder.string()), 0);
    for (const auto& [userId, name] : who) {
        PersonRecord p = newPerson(userId, name);
        addFace(p, 3, false);
        ASSERT_EQ(b.storePerson(p), 0) << userId;
    }
}

TEST_F(BaseCliTest, ListEscapesTheFieldSeparatorInsideTexts) {
    storeWithoutFaces(dir / "Base", {{"A|b\\c", "x|y"}, {"Plain", "back\\slash|"}});
    ASSERT_EQ(base("list"), 0) << out;
    EXPECT_EQ(out, "2|A\\|b\\\\c|x\\|y|1\n2|Plain|back\\\\slash\\||1\n");
}

TEST_F(BaseCliTest, ListLeavesATableWithACountTooLowAsItIsAndSaysSo) {
    storeWithoutFaces(dir / "Base", {{"Ann", "A"}, {"Bob", "B"}, {"Cid", "C"}});
    const fs::path users = dir / "Base" / kUsersTable;
    auto bytes = fileBytes(users);
    bytes[4] = 0;  // header count 0 over three records
    std::ofstream(users, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    ASSERT_EQ(base("list"), 0) << out;
    EXPECT_NE(out.find("ovfc base: Users.Dbf: 3 records behind the header count of 0 are not read"),
              std::string::npos)
        << out;
    EXPECT_EQ(fileBytes(users), bytes);
    // A writing command takes them back and says so.
    ASSERT_EQ(base("delete cid"), 0) << out;
    EXPECT_NE(out.find("ovfc base: Users.Dbf: 3 records behind the header count of 0 restored"),
              std::string::npos)
        << out;
    ASSERT_EQ(base("list"), 0) << out;
    EXPECT_EQ(out, "2|Ann|A|1\n2|Bob|B|1\n");
}

}  // namespace
}  // namespace persons::testing
