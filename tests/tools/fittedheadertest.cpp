// A fitted header is replaced whole or not at all, and a check names the lines that differ.
#include "common/fittedheader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

using namespace tunedeck::tools;
namespace fs = std::filesystem;

namespace {

class FittedHeaderTest : public testing::Test {
protected:
    void SetUp() override
    {
        const testing::UnitTest &test = *testing::UnitTest::GetInstance();
        dir = fs::temp_directory_path()
              / ("fittedheader-" + std::to_string(::getpid()) + "-" + test.current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string read(const fs::path &path) const
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    int entries() const { return int(std::distance(fs::directory_iterator(dir), fs::directory_iterator())); }

    fs::path dir;
};

} // namespace

TEST_F(FittedHeaderTest, ReplacesTheFileWholeOrLeavesIt)
{
    const fs::path header = dir / "fitted.h";
    std::string error;
    ASSERT_TRUE(writeAtomically(header, "first\n", error)) << error;
    ASSERT_TRUE(writeAtomically(header, "second\n", error)) << error;
    EXPECT_EQ(read(header), "second\n");
    EXPECT_EQ(entries(), 1); // no temporary file left beside it

    // The rename cannot replace a folder: it stays, and the temporary file goes.
    fs::create_directory(dir / "taken.h");
    EXPECT_FALSE(writeAtomically(dir / "taken.h", "text\n", error));
    EXPECT_TRUE(fs::is_directory(dir / "taken.h"));
    EXPECT_EQ(entries(), 2);
    EXPECT_FALSE(writeAtomically(dir / "missing" / "fitted.h", "text\n", error));
    EXPECT_NE(error.find("missing"), std::string::npos) << error;
}

TEST_F(FittedHeaderTest, CheckNamesTheLinesThatDiffer)
{
    std::ofstream(dir / "a.h") << "// comment\nconst double x = 0.5;\n#endif\n";
    const struct {
        const char *name;
        std::vector<FittedHeader> headers;
        int code;
        std::vector<std::string> said; // in the report, in order
        std::vector<std::string> unsaid;
    } cases[] = {
        {"the same", {{"a.h", "// comment\nconst double x = 0.5;\n#endif\n"}}, 0, {"a.h: refitted, the same"}, {"line"}},
        {"a value", {{"a.h", "// comment\nconst double x = 0.6;\n#endif\n"}}, 1,
         {"line 2 -const double x = 0.5;", "line 2 +const double x = 0.6;"}, {"line 1", "line 3"}},
        {"a line more", {{"a.h", "// comment\n// more\nconst double x = 0.5;\n#endif\n"}}, 1, {"line 2 +// more"},
         {" -", "line 3", "line 4"}},
        {"the final newline", {{"a.h", "// comment\nconst double x = 0.5;\n#endif"}}, 1, {"only in line ends"},
         {"line 1", "line 2", "line 3"}},
        {"no committed file", {{"b.h", "x\n"}}, 1, {"b.h: cannot read it"}, {}},
    };
    for (const auto &c : cases) {
        std::ostringstream out;
        EXPECT_EQ(checkHeaders(dir, c.headers, out), c.code) << c.name;
        std::size_t at = 0;
        for (const std::string &s : c.said) {
            at = out.str().find(s, at);
            EXPECT_NE(at, std::string::npos) << c.name << ": " << s << " not in\n" << out.str();
        }
        for (const std::string &s : c.unsaid)
            EXPECT_EQ(out.str().find(s), std::string::npos) << c.name << ": " << s << " in\n" << out.str();
    }
}
