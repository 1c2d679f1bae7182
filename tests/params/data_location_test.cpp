// Where the data file is: next to the program, else the user's own copy of
// the shipped one, made on first use; the shipped file is never written.

#include "params/data_location.h"

#include "params/pitch_store.h"
#include "tests/params/data_file_maker.h"
#include "tests/support/restricted_run.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace tovrel {
namespace {

namespace fs = std::filesystem;
using test::readFile;

enum class Shipped { None, BesidePrefix, InSystemShare };
enum class Where { Program, Own, Shipped };

struct Case {
    const char* name;
    bool nextToProgram;
    Shipped shipped;
    const char* xdgDataHome; // "" unset; "rel" a relative value; "abs" a folder of its own
    bool homeIsAFile;        // the user's folder cannot be made
    bool asOrdinaryUser;     // may not write the shipped file either
    Where where;
    bool copied;
    const char* problem; // part of the message, or "" for none
};

const Case kCases[] = {
    {"NextToProgramWins", true, Shipped::BesidePrefix, "abs", false, false, Where::Program, false,
     ""},
    {"FirstUseCopiesBesidePrefix", false, Shipped::BesidePrefix, "", false, false, Where::Own, true,
     ""},
    {"FirstUseCopiesSystemShare", false, Shipped::InSystemShare, "abs", false, false, Where::Own,
     true, ""},
    {"RelativeXdgIsIgnored", false, Shipped::InSystemShare, "rel", false, false, Where::Own, true,
     ""},
    {"NeitherGivesNotFound", false, Shipped::None, "", false, false, Where::Program, false, ""},
    {"UnwritableUserFolder", false, Shipped::BesidePrefix, "", true, false, Where::Own, false,
     "无法建立您自己的栅距列表"},
    {"UnwritableForAnOrdinaryUser", false, Shipped::InSystemShare, "", true, true, Where::Shipped,
     false, "新的栅距不会被记下"},
};

class DataLocationTest : public ::testing::TestWithParam<Case> {
  protected:
    test::TempDir dir;
    fs::path program = dir / "prefix/bin";
    fs::path besidePrefix = dir / "prefix/share/tovrel";
    fs::path systemShare = dir / "share";
    fs::path home = dir / "home";

    DataEnvironment env(const Case& c) const {
        DataEnvironment e{"", home.string(), systemShare};
        if (std::string(c.xdgDataHome) == "abs") {
            e.xdgDataHome = (dir / "xdg").string();
        } else if (std::string(c.xdgDataHome) == "rel") {
            e.xdgDataHome = "xdg";
        }
        return e;
    }
    fs::path ownFolder(const Case& c) const {
        return std::string(c.xdgDataHome) == "abs" ? dir / "xdg/tovrel"
                                                   : home / ".local/share/tovrel";
    }
    fs::path shippedFolder(const Case& c) const {
        return c.shipped == Shipped::BesidePrefix ? besidePrefix : systemShare / "tovrel";
    }
    void setUp(const Case& c) {
        fs::create_directories(program);
        fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_exec |
                                        fs::perms::group_read | fs::perms::others_exec |
                                        fs::perms::others_read);
        if (c.nextToProgram) {
            test::writeDataFile(program, {0.1f});
        }
        if (c.shipped != Shipped::None) {
            fs::create_directories(shippedFolder(c));
            test::writeDataFile(shippedFolder(c), {0.254f, 0.5f});
        }
        if (c.homeIsAFile) {
            test::writeFile(home, {'x'});
        }
    }
    // Runs the rule, as an ordinary user when the case asks for it.
    std::optional<DataLocation> locate(const Case& c) {
        if (!c.asOrdinaryUser) {
            return locateDataFolder(program, env(c));
        }
        const auto text = test::runAsOrdinaryUser([&] {
            const DataLocation l = locateDataFolder(program, env(c));
            return l.folder.string() + '\n' + l.problem;
        });
        if (!text) {
            return std::nullopt;
        }
        const auto cut = text->find('\n');
        return DataLocation{text->substr(0, cut), text->substr(cut + 1)};
    }
};

TEST_P(DataLocationTest, FindsOrMakesTheDataFile) {
    const Case& c = GetParam();
    setUp(c);
    const auto shippedBefore = c.shipped == Shipped::None ? std::vector<unsigned char>{}
                                                          : readFile(shippedFolder(c) / "kvxj.dll");
    const auto located = locate(c);
    if (!located) {
        GTEST_SKIP() << "needs root to run as another user";
    }
    const fs::path expected = c.where == Where::Program ? program
                              : c.where == Where::Own   ? ownFolder(c)
                                                        : shippedFolder(c);
    EXPECT_EQ(located->folder.lexically_normal(), expected.lexically_normal());
    if (*c.problem == '\0') {
        EXPECT_EQ(located->problem, "");
    } else {
        EXPECT_NE(located->problem.find(c.problem), std::string::npos) << located->problem;
    }
    const PitchStore own(ownFolder(c));
    EXPECT_EQ(own.present(), c.copied);
    EXPECT_FALSE(fs::exists(own.tempPath()));
    if (c.copied) {
        EXPECT_EQ(readFile(own.dataPath()), shippedBefore);
    }
    if (c.shipped != Shipped::None) {
        EXPECT_EQ(readFile(shippedFolder(c) / "kvxj.dll"), shippedBefore);
    }
    if (c.shipped == Shipped::None && !c.nextToProgram) {
        const auto loaded = PitchStore(located->folder).load();
        ASSERT_FALSE(loaded);
        EXPECT_EQ(loaded.message(), notFoundMessage());
    }
}

INSTANTIATE_TEST_SUITE_P(Rule, DataLocationTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Later uses keep the user's copy; appending and deleting change it alone.
TEST_F(DataLocationTest, LaterUsesKeepTheUsersOwnList) {
    const Case& c = kCases[1];
    setUp(c);
    const auto shipped = readFile(besidePrefix / "kvxj.dll");
    PitchStore first(locate(c)->folder);
    ASSERT_TRUE(first.append(0.7f));
    PitchStore again(locate(c)->folder);
    ASSERT_TRUE(again.removeAll(0.254f));
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.load().value(), (std::vector<float>{0.5f, 0.7f}));
    EXPECT_EQ(again.dataPath(), ownFolder(c) / "kvxj.dll");
    EXPECT_EQ(readFile(besidePrefix / "kvxj.dll"), shipped);
}

} // namespace
} // namespace tovrel
